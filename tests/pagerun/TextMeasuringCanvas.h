#pragma once
// A recording canvas that measures text as the window does on Linux, where
// the application font falls back to the free sans (DejaVu Sans): each
// character of the printable ASCII range by its advance width in its
// regular or bold face, any other character 0.6 em, lines 1.164 em high.
// Layout checks that must hold with real type (boxes apart, texts whole)
// use it instead of the recording canvas' uniform metrics.

#include <array>
#include <string>

#include "platform/RecordingCanvas.h"

namespace pagerun {

class TTextMeasuringCanvas : public platform::RecordingCanvas {
 public:
  float TextWidth(const std::string& text) override {
    const bool bold = (Font.Style & platform::fsBold) != 0u;
    float em = 0.0f;
    for (const char c : text) {
      const auto code = static_cast<unsigned char>(c);
      if ((code & 0xC0u) == 0x80u) continue;  // a UTF-8 continuation byte
      em += code >= 32u && code < 127u ? (bold ? kBold : kRegular)[code - 32u] : 0.6f;
    }
    return em * Font.Size;
  }
  float TextHeight(const std::string& /*text*/) override { return 1.164f * Font.Size; }

 private:
  // Advance widths in em of the characters 32 .. 126.
  static constexpr std::array<float, 95> kRegular{
      0.3179f, 0.4009f, 0.4600f, 0.8379f, 0.6362f, 0.9502f, 0.7798f, 0.2749f, 0.3901f, 0.3901f, 0.5000f, 0.8379f,
      0.3179f, 0.3608f, 0.3179f, 0.3369f, 0.6362f, 0.6362f, 0.6362f, 0.6362f, 0.6362f, 0.6362f, 0.6362f, 0.6362f,
      0.6362f, 0.6362f, 0.3369f, 0.3369f, 0.8379f, 0.8379f, 0.8379f, 0.5308f, 1.0000f, 0.6841f, 0.6860f, 0.6982f,
      0.7700f, 0.6318f, 0.5752f, 0.7749f, 0.7520f, 0.2949f, 0.2949f, 0.6558f, 0.5571f, 0.8628f, 0.7480f, 0.7871f,
      0.6030f, 0.7871f, 0.6948f, 0.6348f, 0.6108f, 0.7319f, 0.6841f, 0.9888f, 0.6851f, 0.6108f, 0.6851f, 0.3901f,
      0.3369f, 0.3901f, 0.8379f, 0.5000f, 0.5000f, 0.6128f, 0.6348f, 0.5498f, 0.6348f, 0.6152f, 0.3521f, 0.6348f,
      0.6338f, 0.2778f, 0.2778f, 0.5791f, 0.2778f, 0.9741f, 0.6338f, 0.6118f, 0.6348f, 0.6348f, 0.4111f, 0.5210f,
      0.3921f, 0.6338f, 0.5918f, 0.8179f, 0.5918f, 0.5918f, 0.5249f, 0.6362f, 0.3369f, 0.6362f, 0.8379f,
  };
  static constexpr std::array<float, 95> kBold{
      0.3481f, 0.4561f, 0.5210f, 0.8379f, 0.6958f, 1.0020f, 0.8721f, 0.3062f, 0.4570f, 0.4570f, 0.5229f, 0.8379f,
      0.3799f, 0.4150f, 0.3799f, 0.3652f, 0.6958f, 0.6958f, 0.6958f, 0.6958f, 0.6958f, 0.6958f, 0.6958f, 0.6958f,
      0.6958f, 0.6958f, 0.3999f, 0.3999f, 0.8379f, 0.8379f, 0.8379f, 0.5801f, 1.0000f, 0.7739f, 0.7622f, 0.7339f,
      0.8301f, 0.6831f, 0.6831f, 0.8208f, 0.8369f, 0.3721f, 0.3721f, 0.7749f, 0.6372f, 0.9951f, 0.8369f, 0.8501f,
      0.7329f, 0.8501f, 0.7700f, 0.7202f, 0.6821f, 0.8120f, 0.7739f, 1.1030f, 0.7710f, 0.7241f, 0.7251f, 0.4570f,
      0.3652f, 0.4570f, 0.8379f, 0.5000f, 0.5000f, 0.6748f, 0.7158f, 0.5928f, 0.7158f, 0.6782f, 0.4351f, 0.7158f,
      0.7119f, 0.3428f, 0.3428f, 0.6650f, 0.3428f, 1.0420f, 0.7119f, 0.6870f, 0.7158f, 0.7158f, 0.4932f, 0.5952f,
      0.4780f, 0.7119f, 0.6519f, 0.9238f, 0.6450f, 0.6519f, 0.5820f, 0.7119f, 0.3652f, 0.7119f, 0.8379f,
  };
};

}  // namespace pagerun
