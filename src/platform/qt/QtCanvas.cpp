#include "platform/qt/QtCanvas.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QString>
#include <QStringList>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace platform {

namespace {

QColor ToQColor(TAlphaColor argb) { return QColor::fromRgba(static_cast<QRgb>(argb)); }

QRectF ToQRect(const TRectF& r) { return QRectF(QPointF(r.Left, r.Top), QPointF(r.Right, r.Bottom)); }

QString ToQString(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

Qt::PenStyle ToPenStyle(TStrokeDash dash) {
  switch (dash) {
    case TStrokeDash::Dash:
      return Qt::DashLine;
    case TStrokeDash::Dot:
      return Qt::DotLine;
    case TStrokeDash::DashDot:
      return Qt::DashDotLine;
    case TStrokeDash::DashDotDot:
      return Qt::DashDotDotLine;
    case TStrokeDash::Solid:
    default:
      return Qt::SolidLine;
  }
}

int AlignmentFlag(TTextAlign align, Qt::AlignmentFlag leading, Qt::AlignmentFlag centre, Qt::AlignmentFlag trailing) {
  return align == TTextAlign::Leading ? leading : align == TTextAlign::Trailing ? trailing : centre;
}

int ToQtAlignment(TTextAlign horizontal, TTextAlign vertical) {
  return AlignmentFlag(horizontal, Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight) |
         AlignmentFlag(vertical, Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom);
}

QPolygonF ToQPolygon(const std::vector<TPointF>& points) {
  QPolygonF polygon;
  polygon.reserve(static_cast<qsizetype>(points.size()));
  for (const TPointF& p : points) {
    polygon << QPointF(p.X, p.Y);
  }
  return polygon;
}

}  // namespace

QtCanvas::QtCanvas(QPaintDevice* device) : Device_(device) {}

QtCanvas::~QtCanvas() {
  if (Painter_.isActive()) {
    Painter_.end();
  }
}

bool QtCanvas::BeginScene() {
  if (Device_ == nullptr) {
    return false;
  }
  if (SceneDepth_ == 0 && !Painter_.begin(Device_)) {
    return false;
  }
  if (SceneDepth_ == 0) {
    AppliedMatrix_.reset();  // a newly opened painter starts from the identity
  }
  ++SceneDepth_;
  Painter_.setRenderHint(QPainter::Antialiasing, true);
  Painter_.setRenderHint(QPainter::TextAntialiasing, true);
  return true;
}

void QtCanvas::EndScene() {
  if (SceneDepth_ == 0) {
    return;
  }
  if (--SceneDepth_ == 0) {
    Painter_.end();
  }
}

QFont QtCanvas::CurrentQFont() const {
  QFont font;
  font.setFamilies(QStringList{ToQString(Font.Family), QString::fromLatin1(kFallbackFamily)});
  // Canvas units are device pixels: points = pixels x 72 / dpi.
  const int dpi = Device_ != nullptr && Device_->logicalDpiY() > 0 ? Device_->logicalDpiY() : 96;
  font.setPointSizeF(std::max(0.1, static_cast<double>(Font.Size) * 72.0 / dpi));
  font.setBold((Font.Style & fsBold) != 0u);
  font.setItalic((Font.Style & fsItalic) != 0u);
  font.setUnderline((Font.Style & fsUnderline) != 0u);
  font.setStrikeOut((Font.Style & fsStrikeOut) != 0u);
  return font;
}

const QFont& QtCanvas::CachedFont() {
  if (!FontKey_ || !(*FontKey_ == Font)) {
    Font_ = CurrentQFont();
    FontKey_ = Font;
    Metrics_.reset();
  }
  return Font_;
}

const QFontMetricsF& QtCanvas::CachedMetrics() {
  const QFont& font = CachedFont();
  if (!Metrics_) {
    Metrics_.emplace(font, Device_);
  }
  return *Metrics_;
}

float QtCanvas::TextWidth(const std::string& text) {
  return static_cast<float>(CachedMetrics().horizontalAdvance(ToQString(text)));
}

// Line height times the number of lines (one for text without line breaks).
float QtCanvas::TextHeight(const std::string& text) {
  const auto lines = 1 + std::count(text.begin(), text.end(), '\n');
  return static_cast<float>(CachedMetrics().height() * static_cast<double>(lines));
}

bool QtCanvas::PrepareCommon(float opacity) {
  if (SceneDepth_ == 0) {
    return false;
  }
  const TMatrix m = GetMatrix();
  if (!AppliedMatrix_ || !(*AppliedMatrix_ == m)) {
    Painter_.setWorldTransform(QTransform(m.M11, m.M12, m.M21, m.M22, m.M31, m.M32));
    AppliedMatrix_ = m;
  }
  Painter_.setOpacity(std::clamp(static_cast<double>(opacity), 0.0, 1.0));
  return true;
}

bool QtCanvas::PrepareFill(float opacity) {
  if (Fill.Kind == TBrushKind::None || !PrepareCommon(opacity)) {
    return false;
  }
  Painter_.setPen(Qt::NoPen);
  Painter_.setBrush(QBrush(ToQColor(Fill.Color)));
  return true;
}

bool QtCanvas::PrepareStroke(float opacity) {
  if (Stroke.Kind == TBrushKind::None || !PrepareCommon(opacity)) {
    return false;
  }
  if (!PenKey_ || !(*PenKey_ == Stroke)) {
    Pen_ = QPen(ToQColor(Stroke.Color));
    Pen_.setWidthF(static_cast<double>(Stroke.Thickness));
    Pen_.setStyle(ToPenStyle(Stroke.Dash));
    Pen_.setCapStyle(Qt::FlatCap);
    Pen_.setJoinStyle(Qt::MiterJoin);
    PenKey_ = Stroke;
  }
  Painter_.setPen(Pen_);
  Painter_.setBrush(Qt::NoBrush);
  return true;
}

void QtCanvas::FillText(const TRectF& rect, const std::string& text, bool wordWrap, float opacity,
                        TTextAlign horizontalAlign, TTextAlign verticalAlign) {
  if (text.empty() || Fill.Kind == TBrushKind::None || !PrepareCommon(opacity)) {
    return;
  }
  Painter_.setFont(CachedFont());
  Painter_.setPen(ToQColor(Fill.Color));
  int flags = ToQtAlignment(horizontalAlign, verticalAlign) | Qt::TextDontClip;
  if (wordWrap) {
    flags |= Qt::TextWordWrap;
  }
  Painter_.drawText(ToQRect(rect), flags, ToQString(text));
}

void QtCanvas::PaintRect(const TRectF& rect, float radiusX, float radiusY) {
  if (radiusX > 0.0f && radiusY > 0.0f) {
    Painter_.drawRoundedRect(ToQRect(rect), radiusX, radiusY);
  } else {
    Painter_.drawRect(ToQRect(rect));
  }
}

void QtCanvas::FillRect(const TRectF& rect, float radiusX, float radiusY, float opacity) {
  if (PrepareFill(opacity)) {
    PaintRect(rect, radiusX, radiusY);
  }
}

void QtCanvas::DrawRect(const TRectF& rect, float radiusX, float radiusY, float opacity) {
  if (PrepareStroke(opacity)) {
    PaintRect(rect, radiusX, radiusY);
  }
}

void QtCanvas::DrawLine(TPointF p1, TPointF p2, float opacity) {
  if (!PrepareStroke(opacity)) {
    return;
  }
  Painter_.drawLine(QPointF(p1.X, p1.Y), QPointF(p2.X, p2.Y));
}

void QtCanvas::FillEllipse(const TRectF& rect, float opacity) {
  if (PrepareFill(opacity)) {
    Painter_.drawEllipse(ToQRect(rect));
  }
}

void QtCanvas::DrawEllipse(const TRectF& rect, float opacity) {
  if (PrepareStroke(opacity)) {
    Painter_.drawEllipse(ToQRect(rect));
  }
}

void QtCanvas::FillPolygon(const std::vector<TPointF>& points, float opacity) {
  if (points.size() >= 3 && PrepareFill(opacity)) {
    const QPolygonF polygon = ToQPolygon(points);
    if (!FillPolygonThroughLayer(polygon, Painter_.opacity())) {
      Painter_.drawPolygon(polygon);
    }
  }
}

// Translucent antialiased spans go through the raster engine's slow blend
// (split over a thread pool per span batch). Instead the polygon's spans are
// written (Source mode: colour x opacity x coverage, no blending) into a
// cleared layer, which is then laid over the device in one image blend:
// device = layer + device x (1 - layer alpha), the very formula of the direct
// path, so the pixels are the same. Small polygons (under 64 x 64 pixels)
// stay on the direct path.
bool QtCanvas::FillPolygonThroughLayer(const QPolygonF& polygon, double opacity) {
  constexpr int kMinimumSide = 64;
  // Only raster images in the formats whose blend is the premultiplied one.
  const auto* image =
      Device_ != nullptr && Device_->devType() == QInternal::Image ? static_cast<QImage*>(Device_) : nullptr;
  if (opacity >= 1.0 || opacity <= 0.0 || image == nullptr ||
      (image->format() != QImage::Format_ARGB32_Premultiplied && image->format() != QImage::Format_RGB32) ||
      Painter_.hasClipping() || Painter_.compositionMode() != QPainter::CompositionMode_SourceOver) {
    return false;
  }
  const QRect device(0, 0, Device_->width(), Device_->height());
  const QRect bounds = Painter_.worldTransform().map(polygon).boundingRect().toAlignedRect().adjusted(-1, -1, 1, 1);
  const QRect area = bounds.intersected(device);
  if (area.width() < kMinimumSide || area.height() < kMinimumSide) {
    return false;
  }
  if (Layer_.size() != device.size()) {
    Layer_ = QImage(device.size(), QImage::Format_ARGB32_Premultiplied);
  }
  {
    QPainter layer(&Layer_);
    layer.setCompositionMode(QPainter::CompositionMode_Source);
    layer.fillRect(area, Qt::transparent);
    layer.setOpacity(opacity);
    layer.setRenderHints(Painter_.renderHints());
    layer.setWorldTransform(Painter_.worldTransform());
    layer.setPen(Qt::NoPen);
    layer.setBrush(Painter_.brush());
    layer.drawPolygon(polygon);
  }
  Painter_.save();
  Painter_.resetTransform();
  Painter_.setOpacity(1.0);
  Painter_.drawImage(area.topLeft(), Layer_, area);
  Painter_.restore();
  return true;
}

void QtCanvas::DrawPolygon(const std::vector<TPointF>& points, float opacity) {
  if (points.size() >= 2 && PrepareStroke(opacity)) {
    Painter_.drawPolygon(ToQPolygon(points));
  }
}

}  // namespace platform
