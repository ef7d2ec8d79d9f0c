#include "data/RegistrySettings.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "platform/Format.h"
#include "platform/SettingsStore.h"

namespace {

// Decimal 32-bit integer with optional blanks and sign; throws EConvertError otherwise.
std::int32_t StrToInt(const std::string& text) {
  std::size_t begin = text.find_first_not_of(' ');
  std::size_t end = text.find_last_not_of(' ');
  std::int32_t value = 0;
  if (begin != std::string::npos) {
    if (text[begin] == '+') ++begin;
    const char* first = text.data() + begin;
    const char* last = text.data() + end + 1;
    const auto result = std::from_chars(first, last, value);
    if (first < last && result.ec == std::errc() && result.ptr == last) return value;
  }
  throw platform::EConvertError("'" + text + "' is not a valid integer value");
}

}  // namespace

TRegistrySettings::TRegistrySettings() = default;
TRegistrySettings::~TRegistrySettings() = default;

void TRegistrySettings::Open() {
  Registry = std::make_unique<platform::SettingsStore>(platform::SettingsStore::DefaultPath());
  Opened = Registry->Load();
}

void TRegistrySettings::Close() {
  Registry.reset();
  Opened = false;
}

bool TRegistrySettings::ValueExists(const std::string& name) const {
  return !name.empty() && Opened && Registry && Registry->Contains(name);
}

void TRegistrySettings::EnsureKey() {
  Open();
  Close();
}

void TRegistrySettings::WriteValue(const std::string& name, const std::string& text, int kind) {
  WriteValues({{name, text, kind}});
}

void TRegistrySettings::WriteValues(const std::vector<TRegistryValue>& values) {
  const auto written = [](const TRegistryValue& value) {
    return !value.Name.empty() && value.Kind >= rvkString && value.Kind <= rvkBool;
  };
  if (std::all_of(values.begin(), values.end(), [](const TRegistryValue& value) { return value.Name.empty(); })) return;
  if (std::none_of(values.begin(), values.end(), written)) return EnsureKey();
  Registry = std::make_unique<platform::SettingsStore>(platform::SettingsStore::DefaultPath());
  struct Closer {
    TRegistrySettings* Self;
    ~Closer() { Self->Close(); }
  } closer{this};
  if (TemporaryFileHook) Registry->SetTemporaryFileHook(TemporaryFileHook);
  // Read, changed and replaced under the store's lock, so that another
  // save running meanwhile (the proxy's beside the sign-in's, or another
  // instance) loses nothing. A store that cannot be read is a failure, never
  // a silent no-op; every value is converted and checked before the file is
  // replaced.
  Registry->Update([&](platform::SettingsStore& store) {
    for (const TRegistryValue& value : values) {
      if (!written(value)) continue;
      switch (value.Kind) {
        case rvkString:
          store.WriteString(value.Name, value.Text);
          break;
        case rvkDouble:
          store.WriteFloat(value.Name, platform::StrToFloat(value.Text));
          break;
        case rvkSingle:
          store.WriteFloat(value.Name, static_cast<double>(static_cast<float>(platform::StrToFloat(value.Text))));
          break;
        case rvkInteger:
          store.WriteInteger(value.Name, StrToInt(value.Text));
          break;
        default:
          // Booleans share the integer representation, as a registry keeps them.
          store.WriteInteger(value.Name, StrToInt(value.Text) != 0 ? 1 : 0);
          break;
      }
    }
  });
}

std::string TRegistrySettings::ReadValue(const std::string& name, const std::string& defaultText, int kind) {
  std::string result;
  Open();
  if (Opened && !name.empty() && Registry->Contains(name)) {
    const platform::SettingsStore& store = *Registry;
    switch (kind) {
      case rvkString:
        result = store.ReadString(name).value_or(std::string());
        break;
      case rvkDouble:
        if (const auto value = store.ReadFloat(name)) result = platform::FloatToStr(*value);
        break;
      case rvkSingle:
        if (const auto value = store.ReadFloat(name)) {
          result = platform::FloatToStr(static_cast<double>(static_cast<float>(*value)));
        }
        break;
      case rvkInteger:
        if (const auto value = store.ReadInteger(name)) result = std::to_string(*value);
        break;
      case rvkBool:
        if (const auto value = store.ReadInteger(name)) result = *value != 0 ? "1" : "0";
        break;
      default:
        break;
    }
  }
  Close();
  return result.empty() ? defaultText : result;
}

std::string TRegistrySettings::DamageWarning() {
  Open();
  std::string text = Registry->DamagedText();
  // A file that cannot be used or is over the size limit loses every value,
  // a line over the line limit its own.
  const bool lines = Opened && Registry->DroppedLines() > 0;
  Close();
  if (text.empty()) return text;
  return (lines ? "Some sign-in or proxy values are at their defaults: "
                : "The sign-in and proxy values are at their defaults: ") +
         text;
}
