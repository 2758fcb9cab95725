// The push button's persisted properties: what a host form stores per button, with the
// defaults used when a value is missing (load) and when a value need not be stored (save).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace mirokan {

// A font as a form stores it. Only the name survives a load (see LoadButtonProperties).
struct ButtonFont {
  std::string name;
  double size_points = 9.0;
  int weight = 400;
  std::uint8_t charset = 1;  // DEFAULT_CHARSET
  bool italic = false;
  bool underline = false;
  bool strikethrough = false;

  bool operator==(const ButtonFont&) const = default;
};

// The control's background style; the `Visible` property reads and writes it.
enum class BackStyle : std::int16_t { kTransparent = 0, kOpaque = 1 };

using PropertyValue = std::variant<bool, std::int64_t, std::string, ButtonFont>;

// A host form's store of one control's values. A value equal to the default it is written
// with is not kept, exactly as the form file would leave it out.
class PropertyBag {
 public:
  std::optional<PropertyValue> Read(std::string_view key) const;
  void Write(std::string_view key, PropertyValue value, const PropertyValue& save_default);
  // Stores a value as it is, whatever the default (a form file edited by hand).
  void Put(std::string_view key, PropertyValue value);
  bool Contains(std::string_view key) const { return values_.find(key) != values_.end(); }
  std::size_t Size() const { return values_.size(); }

 private:
  std::map<std::string, PropertyValue, std::less<>> values_;
};

// Conversions of a stored value to the type a property needs; nullopt when the value does
// not convert (wrong kind, out of range), so the property keeps what it had.
std::optional<bool> ToBoolean(const PropertyValue& value);
std::optional<std::string> ToText(const PropertyValue& value);
std::optional<std::int64_t> ToWholeNumber(const PropertyValue& value, std::int64_t low,
                                          std::int64_t high);

struct ButtonProperties {
  bool Enabled = true;
  std::string Caption = "Command1";
  ButtonFont Font;
  // 0 only for a control whose values were never loaded (fresh from the designer).
  std::uint8_t FirstRun = 1;
  std::uint32_t FontColour = 0;  // platform colour value, red in the lowest byte
  BackStyle Visible = BackStyle::kOpaque;
};

inline constexpr std::string_view kLoadCaption = "Command1";
inline constexpr std::string_view kSaveCaption = "Command";

// Loads the stored values into `target` in the host's order; a missing value takes its load
// default and a value that does not convert leaves the property as it was. Of "Font" only
// the name is taken over; size, weight and the rest stay those of `target.Font`.
void LoadButtonProperties(const PropertyBag& bag, const ButtonFont& ambient_font,
                          ButtonProperties& target);

// Writes every property with its save default (a value equal to it is not stored).
void SaveButtonProperties(const ButtonProperties& properties, const ButtonFont& ambient_font,
                          PropertyBag& bag);

}  // namespace mirokan
