#include "platform/qt/QtCanvas.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QSemaphore>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QThreadPool>
#include <QTransform>
#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <mutex>
#include <string>
#include <unordered_map>

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

// Worker threads that rasterise the bands of one large translucent polygon.
Q_GLOBAL_STATIC(QThreadPool, gBandPool)

// The raster engine's cost of a polygon lies mostly in the rows that many
// edges cross, often a few rows only (an area's baseline, the flat floors of
// a wave): a polygon is cut into many thin bands that the threads take in
// turn. Below these sizes one thread is quicker than handing bands over.
constexpr int kBandRows = 4;
constexpr int kMaximumBands = 32;
constexpr int kMinimumBandPoints = 32;
constexpr int kMaximumBandThreads = 4;

// First rows of the bands in which a polygon (drawing coordinates moved by
// the translation dx, dy in whole pixels) may be rasterised over rows
// [top, bottom): each band is drawn by its own painter on the rows of the
// band, the polygon moved up by the band's first row. The raster engine
// places a point at round(64 y) sixty-fourths of a pixel, halves away from
// zero; moved by whole pixels every point keeps its place except one that
// moves from y >= 0 to below zero exactly half-way between two
// sixty-fourths (64 y = n + 1/2): that one would round the other way. So no
// band starts below such a point; the bands are equal otherwise. Empty when
// one band will do.
std::vector<int> BandTops(const QPolygonF& polygon, double dy, int top, int bottom) {
  const int rows = bottom - top;
  if (polygon.size() < kMinimumBandPoints || rows < 2 * kBandRows) {
    return {};
  }
  double lastStart = bottom;
  for (const QPointF& p : polygon) {
    const double y = p.y() + dy;  // exact: a float plus whole pixels
    const double v = 64.0 * y;
    if (y >= 0.0 && v - std::floor(v) == 0.5) {
      lastStart = std::min(lastStart, std::floor(y));
    }
  }
  const int count = std::min(kMaximumBands, rows / kBandRows);
  std::vector<int> tops;
  for (int k = 0; k < count; ++k) {
    const int start = top + rows * k / count;
    if (k > 0 && start > lastStart) {
      break;
    }
    tops.push_back(start);
  }
  if (tops.size() < 2) {
    tops.clear();
  }
  return tops;
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

QtCanvas::QtCanvas(QPaintDevice* device, TPaintPath path) : Device_(device), Path_(path) {}

QtCanvas::~QtCanvas() {
  if (LayerPainter_.isActive()) {
    LayerPainter_.end();
  }
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
    AppliedMatrix_.reset();  // a newly opened painter starts from the identity and the default font
    PainterFont_.reset();
    // A clip of the whole device changes no pixel, but with a clip of its
    // own the raster engine strokes thin lines straight into the pixels;
    // without one it hands every pixel to the span blend, which splits
    // translucent batches over a thread pool (several times slower).
    if (Path_ == TPaintPath::Fast) {
      Painter_.setClipRect(QRect(0, 0, Device_->width(), Device_->height()));
    }
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
    if (LayerPainter_.isActive()) {
      LayerPainter_.end();
    }
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

// Advance widths by font, device resolution and text, kept across canvases
// (a window paints the same labels again and again, and measuring shapes
// the text every time); emptied when it grows past kWidthCacheSize.
float QtCanvas::TextWidth(const std::string& text) {
  constexpr std::size_t kWidthCacheSize = 8192;
  static std::mutex mutex;
  static std::unordered_map<std::string, float> widths;
  const int dpiX = Device_ != nullptr ? Device_->logicalDpiX() : 0;
  const int dpiY = Device_ != nullptr ? Device_->logicalDpiY() : 0;
  std::string key = Font.Family;
  key += '\0';
  key += std::to_string(std::bit_cast<std::uint32_t>(Font.Size)) + ' ' + std::to_string(Font.Style) + ' ' +
         std::to_string(dpiX) + ' ' + std::to_string(dpiY);
  key += '\0';
  key += text;
  {
    const std::lock_guard<std::mutex> lock(mutex);
    if (const auto found = widths.find(key); found != widths.end()) {
      return found->second;
    }
  }
  const auto width = static_cast<float>(CachedMetrics().horizontalAdvance(ToQString(text)));
  const std::lock_guard<std::mutex> lock(mutex);
  if (widths.size() >= kWidthCacheSize) {
    widths.clear();
  }
  widths.emplace(std::move(key), width);
  return width;
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
  // Every state change makes the engine set up its fill and pen again: only changes are passed on.
  const double clamped = std::clamp(static_cast<double>(opacity), 0.0, 1.0);
  if (Painter_.opacity() != clamped) {
    Painter_.setOpacity(clamped);
  }
  return true;
}

bool QtCanvas::PrepareFill(float opacity) {
  if (Fill.Kind == TBrushKind::None || !PrepareCommon(opacity)) {
    return false;
  }
  if (Painter_.pen().style() != Qt::NoPen) {
    Painter_.setPen(Qt::NoPen);
  }
  const QColor colour = ToQColor(Fill.Color);
  if (Painter_.brush().style() != Qt::SolidPattern || Painter_.brush().color() != colour) {
    Painter_.setBrush(colour);
  }
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
  if (Painter_.pen() != Pen_) {
    Painter_.setPen(Pen_);
  }
  if (Painter_.brush().style() != Qt::NoBrush) {
    Painter_.setBrush(Qt::NoBrush);
  }
  return true;
}

void QtCanvas::FillText(const TRectF& rect, const std::string& text, bool wordWrap, float opacity,
                        TTextAlign horizontalAlign, TTextAlign verticalAlign) {
  if (text.empty() || Fill.Kind == TBrushKind::None || !PrepareCommon(opacity)) {
    return;
  }
  const QFont& font = CachedFont();
  if (!PainterFont_ || !(*PainterFont_ == Font)) {
    Painter_.setFont(font);
    PainterFont_ = Font;
  }
  const QPen pen(ToQColor(Fill.Color));
  if (Painter_.pen() != pen) {
    Painter_.setPen(pen);
  }
  const int alignment = ToQtAlignment(horizontalAlign, verticalAlign);
  if (wordWrap) {
    Painter_.drawText(ToQRect(rect), ToQString(text), WrappingOption(Qt::Alignment(alignment)));
  } else {
    Painter_.drawText(ToQRect(rect), alignment | Qt::TextDontClip, ToQString(text));
  }
}

QTextOption QtCanvas::WrappingOption(Qt::Alignment alignment) {
  QTextOption option(alignment);
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  return option;
}

// The raster engine blends translucent antialiased spans through a thread
// pool (one hand-over per batch of spans: most of the time of a large area
// or a dot of 20 pixels on a busy machine); opaque spans it writes itself.
// Instead the shape is written into a cleared layer (Source mode: colour x
// opacity x coverage, no blending, no hand-over), and that part of the
// layer is laid over the device in one image blend: device = layer +
// device x (1 - layer alpha), the very formula of the direct path, so the
// pixels are the same.
template <typename Paint>
bool QtCanvas::FillThroughLayer(const QRectF& bounds, Paint&& paint, const QPolygonF* bands) {
  // Only raster images in the formats whose blend is the premultiplied one.
  const auto* image =
      Device_ != nullptr && Device_->devType() == QInternal::Image ? static_cast<QImage*>(Device_) : nullptr;
  const double opacity = Painter_.opacity();
  const bool translucent = opacity < 1.0 || Painter_.brush().color().alpha() < 255;
  if (Path_ != TPaintPath::Fast || !translucent || opacity <= 0.0 || image == nullptr ||
      (image->format() != QImage::Format_ARGB32_Premultiplied && image->format() != QImage::Format_RGB32) ||
      Painter_.compositionMode() != QPainter::CompositionMode_SourceOver) {
    return false;
  }
  const QRect device(0, 0, image->width(), image->height());
  const QRect area =
      Painter_.worldTransform().mapRect(bounds.normalized()).toAlignedRect().adjusted(-1, -1, 1, 1) & device;
  if (area.isEmpty()) {
    return true;  // wholly outside the device: nothing to draw
  }
  QPainter& layer = LayerPainter();
  const QTransform transform = Painter_.worldTransform();
  // Bands only under a move by whole pixels (or none), where every
  // coordinate the engine computes is exact.
  const bool wholeMove = transform.type() <= QTransform::TxTranslate && transform.dx() == std::floor(transform.dx()) &&
                         transform.dy() == std::floor(transform.dy());
  const std::vector<int> tops = bands != nullptr && wholeMove
                                    ? BandTops(*bands, transform.dy(), area.top(), area.bottom() + 1)
                                    : std::vector<int>();
  if (!tops.empty()) {
    FillInBands(tops, area, opacity, paint);
    return true;
  }
  layer.resetTransform();  // the area is in device pixels
  layer.setOpacity(1.0);
  layer.fillRect(area, Qt::transparent);
  layer.setWorldTransform(transform);
  layer.setOpacity(opacity);
  layer.setBrush(Painter_.brush());
  paint(layer);
  Painter_.resetTransform();
  AppliedMatrix_.reset();
  Painter_.setOpacity(1.0);
  Painter_.drawImage(area.topLeft(), Layer_, area);
  return true;
}

// Each band on painters of its own over its rows [first, end) of the layer
// and of the device: cleared, the shape written, the rows laid over the
// device as in FillThroughLayer. The rows of two bands do not overlap; the
// threads (this one and up to three workers) take the bands in turn.
template <typename Paint>
void QtCanvas::FillInBands(const std::vector<int>& tops, const QRect& area, double opacity, Paint&& paint) {
  auto* device = static_cast<QImage*>(Device_);
  // The buffer the painter writes (begin made it the device's own).
  uchar* const deviceBits = const_cast<uchar*>(device->constBits());
  const QTransform transform = Painter_.worldTransform();
  const QBrush brush = Painter_.brush();
  const QPainter::RenderHints hints = Painter_.renderHints();
  const auto band = [&](std::size_t k) {
    const int first = tops[k];
    const int rows = (k + 1 < tops.size() ? tops[k + 1] : area.bottom() + 1) - first;
    const QRect part(area.left(), 0, area.width(), rows);
    QImage layerRows(reinterpret_cast<uchar*>(LayerPixels_.get() + static_cast<std::size_t>(first) * Layer_.width()),
                     Layer_.width(), rows, Layer_.bytesPerLine(), Layer_.format());
    {
      QPainter painter(&layerRows);
      painter.setCompositionMode(QPainter::CompositionMode_Source);
      painter.fillRect(part, Qt::transparent);
      painter.setRenderHints(hints);
      painter.setPen(Qt::NoPen);
      painter.setBrush(brush);
      painter.setOpacity(opacity);
      painter.setWorldTransform(QTransform::fromTranslate(transform.dx(), transform.dy() - first));
      paint(painter);
    }
    QImage deviceRows(deviceBits + static_cast<qsizetype>(first) * device->bytesPerLine(), device->width(), rows,
                      device->bytesPerLine(), device->format());
    QPainter painter(&deviceRows);
    painter.drawImage(part.topLeft(), layerRows, part);
  };
  std::atomic<std::size_t> next{0};
  const auto takeBands = [&] {
    for (std::size_t k = next++; k < tops.size(); k = next++) {
      band(k);
    }
  };
  const int workers = std::min(kMaximumBandThreads, QThread::idealThreadCount()) - 1;
  QSemaphore done;
  for (int w = 0; w < workers; ++w) {
    gBandPool()->start([&takeBands, &done] {
      takeBands();
      done.release();
    });
  }
  takeBands();
  done.acquire(std::max(workers, 0));
}

QPainter& QtCanvas::LayerPainter() {
  if (!LayerPainter_.isActive()) {
    const QSize size(Device_->width(), Device_->height());
    if (Layer_.size() != size) {
      Layer_ = QImage();
      // Not cleared here: every fill clears its own area first.
      LayerPixels_ = std::make_unique_for_overwrite<std::uint32_t[]>(static_cast<std::size_t>(size.width()) *
                                                                     static_cast<std::size_t>(size.height()));
      Layer_ = QImage(reinterpret_cast<uchar*>(LayerPixels_.get()), size.width(), size.height(),
                      static_cast<qsizetype>(size.width()) * 4, QImage::Format_ARGB32_Premultiplied);
    }
    LayerPainter_.begin(&Layer_);
    LayerPainter_.setCompositionMode(QPainter::CompositionMode_Source);
    LayerPainter_.setRenderHints(Painter_.renderHints());
    LayerPainter_.setPen(Qt::NoPen);
  }
  return LayerPainter_;
}

void QtCanvas::PaintRect(QPainter& painter, const TRectF& rect, float radiusX, float radiusY) {
  if (radiusX > 0.0f && radiusY > 0.0f) {
    painter.drawRoundedRect(ToQRect(rect), radiusX, radiusY);
  } else {
    painter.drawRect(ToQRect(rect));
  }
}

void QtCanvas::FillRect(const TRectF& rect, float radiusX, float radiusY, float opacity) {
  if (!PrepareFill(opacity)) {
    return;
  }
  const auto paint = [&](QPainter& painter) { PaintRect(painter, rect, radiusX, radiusY); };
  if (!FillThroughLayer(ToQRect(rect), paint)) {
    paint(Painter_);
  }
}

void QtCanvas::DrawRect(const TRectF& rect, float radiusX, float radiusY, float opacity) {
  if (PrepareStroke(opacity)) {
    PaintRect(Painter_, rect, radiusX, radiusY);
  }
}

void QtCanvas::DrawLine(TPointF p1, TPointF p2, float opacity) {
  if (!PrepareStroke(opacity)) {
    return;
  }
  Painter_.drawLine(QPointF(p1.X, p1.Y), QPointF(p2.X, p2.Y));
}

void QtCanvas::FillEllipse(const TRectF& rect, float opacity) {
  if (!PrepareFill(opacity)) {
    return;
  }
  const QRectF r = ToQRect(rect);
  const auto paint = [&](QPainter& painter) { painter.drawEllipse(r); };
  if (!FillThroughLayer(r, paint)) {
    paint(Painter_);
  }
}

void QtCanvas::DrawEllipse(const TRectF& rect, float opacity) {
  if (PrepareStroke(opacity)) {
    Painter_.drawEllipse(ToQRect(rect));
  }
}

void QtCanvas::FillPolygon(const std::vector<TPointF>& points, float opacity) {
  if (points.size() < 3 || !PrepareFill(opacity)) {
    return;
  }
  const QPolygonF polygon = ToQPolygon(points);
  const auto paint = [&](QPainter& painter) { painter.drawPolygon(polygon); };
  if (!FillThroughLayer(polygon.boundingRect(), paint, &polygon)) {
    paint(Painter_);
  }
}

void QtCanvas::DrawPolygon(const std::vector<TPointF>& points, float opacity) {
  if (points.size() >= 2 && PrepareStroke(opacity)) {
    Painter_.drawPolygon(ToQPolygon(points));
  }
}

}  // namespace platform
