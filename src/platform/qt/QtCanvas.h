#pragma once
// Canvas over QPainter on any QPaintDevice: a QImage for PNG export and
// tests, or a widget's back buffer. Font sizes are in device pixels. A
// family that the system lacks (the default "Yu Gothic UI") falls back to
// "DejaVu Sans".

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <optional>

#include "platform/Canvas.h"

namespace platform {

class QtCanvas : public Canvas {
 public:
  static constexpr const char* kFallbackFamily = "DejaVu Sans";

  // The device must outlive the canvas.
  explicit QtCanvas(QPaintDevice* device);
  ~QtCanvas() override;
  QtCanvas(const QtCanvas&) = delete;
  QtCanvas& operator=(const QtCanvas&) = delete;

  // Opens the painter on the first nested call, closes it on the last.
  bool BeginScene() override;
  void EndScene() override;
  bool InScene() const { return SceneDepth_ > 0; }

  float TextWidth(const std::string& text) override;
  float TextHeight(const std::string& text) override;
  void FillText(const TRectF& rect, const std::string& text, bool wordWrap, float opacity, TTextAlign horizontalAlign,
                TTextAlign verticalAlign = TTextAlign::Center) override;
  void FillRect(const TRectF& rect, float radiusX, float radiusY, float opacity) override;
  void DrawRect(const TRectF& rect, float radiusX, float radiusY, float opacity) override;
  void DrawLine(TPointF p1, TPointF p2, float opacity) override;
  void FillEllipse(const TRectF& rect, float opacity) override;
  void DrawEllipse(const TRectF& rect, float opacity) override;
  void FillPolygon(const std::vector<TPointF>& points, float opacity) override;
  void DrawPolygon(const std::vector<TPointF>& points, float opacity) override;

  // The Qt font that the current font state maps to on this device.
  QFont CurrentQFont() const;

 private:
  // Prepares the painter for one call: matrix, opacity and either the fill
  // (fill calls and text) or the stroke (outline calls). False when nothing
  // is to be drawn (no scene, or the brush kind is none).
  bool PrepareFill(float opacity);
  bool PrepareStroke(float opacity);
  bool PrepareCommon(float opacity);
  // Square or rounded rectangle with the prepared pen and brush.
  void PaintRect(const TRectF& rect, float radiusX, float radiusY);
  // The Qt font and its metrics for the current font state, rebuilt only
  // when the font state changes (building them costs more than most calls).
  const QFont& CachedFont();
  const QFontMetricsF& CachedMetrics();
  // A large translucent polygon drawn opaque into a scratch layer and laid
  // over the device at the opacity: the same picture (within one colour
  // step at the edges) at a third of the painter's translucent-span cost.
  bool FillPolygonThroughLayer(const QPolygonF& polygon, double opacity);

  QPaintDevice* Device_;
  QPainter Painter_;
  int SceneDepth_ = 0;
  // Caches of the painter state: font, metrics, pen, and the last matrix set.
  std::optional<TCanvasFont> FontKey_;
  QFont Font_;
  std::optional<QFontMetricsF> Metrics_;
  std::optional<TStrokeBrush> PenKey_;
  QPen Pen_;
  std::optional<TMatrix> AppliedMatrix_;
  QImage Layer_;
};

}  // namespace platform
