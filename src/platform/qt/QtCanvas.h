#pragma once
// Canvas over QPainter on any QPaintDevice: a QImage for PNG export and
// tests, or a widget's back buffer. Font sizes are in device pixels. A
// family that the system lacks (the default "Yu Gothic UI") falls back to
// "DejaVu Sans".
//
// On a premultiplied raster image the canvas takes faster routes to the
// very pixels the painter draws: thin lines under a clip of the whole
// device, translucent fills through a scratch layer, large translucent
// polygons rasterised in bands on worker threads.

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QTextOption>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Canvas.h"

namespace platform {

class QtCanvas : public Canvas {
 public:
  static constexpr const char* kFallbackFamily = "DejaVu Sans";

  // Fast takes the routes above; Painter hands every call straight to the
  // painter (the pixels the fast routes must match, for tests).
  enum class TPaintPath { Fast, Painter };

  // The device must outlive the canvas.
  explicit QtCanvas(QPaintDevice* device, TPaintPath path = TPaintPath::Fast);
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
  // Wrapped text: at word boundaries, and anywhere in a word wider than the
  // line (a path), so that every character shows where plain word wrap lets
  // such a word run past both sides.
  static QTextOption WrappingOption(Qt::Alignment alignment);

 private:
  // Prepares the painter for one call: matrix, opacity and either the fill
  // (fill calls and text) or the stroke (outline calls). False when nothing
  // is to be drawn (no scene, or the brush kind is none).
  bool PrepareFill(float opacity);
  bool PrepareStroke(float opacity);
  bool PrepareCommon(float opacity);
  // Square or rounded rectangle on the painter with its pen and brush.
  static void PaintRect(QPainter& painter, const TRectF& rect, float radiusX, float radiusY);
  // The font and its metrics for the current font state, rebuilt only
  // when the font state changes (building them costs more than most calls).
  const QFont& CachedFont();
  const QFontMetricsF& CachedMetrics();
  // Fills a shape with translucent paint (opacity or colour alpha below
  // one) through the scratch layer: `paint` draws the shape with the
  // prepared brush; bounds hold the shape in drawing coordinates. False
  // when the paint is opaque or the device is no premultiplied raster
  // image; the caller then draws on the device itself.
  // A polygon given as `bands` may be rasterised in horizontal bands side
  // by side on worker threads (see BandTops).
  template <typename Paint>
  bool FillThroughLayer(const QRectF& bounds, Paint&& paint, const QPolygonF* bands = nullptr);
  // The banded form of FillThroughLayer over `area` with bands starting at
  // the rows `tops`; lays each band over the device itself.
  template <typename Paint>
  void FillInBands(const std::vector<int>& tops, const QRect& area, double opacity, Paint&& paint);
  // The scratch layer's painter, opened on the first translucent fill of a
  // scene and closed with the scene.
  QPainter& LayerPainter();

  QPaintDevice* Device_;
  TPaintPath Path_;
  QPainter Painter_;
  QPainter LayerPainter_;
  int SceneDepth_ = 0;
  // Caches of the painter state: font, metrics, pen, and the last matrix set.
  std::optional<TCanvasFont> FontKey_;
  QFont Font_;
  std::optional<QFontMetricsF> Metrics_;
  std::optional<TStrokeBrush> PenKey_;
  QPen Pen_;
  std::optional<TMatrix> AppliedMatrix_;
  std::optional<TCanvasFont> PainterFont_;  // the font last given to the painter
  // The scratch layer: device-sized, premultiplied, over memory of our own
  // so that band painters on other threads can write rows of it.
  std::unique_ptr<std::uint32_t[]> LayerPixels_;
  QImage Layer_;
};

}  // namespace platform
