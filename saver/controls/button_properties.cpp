#include "saver/controls/button_properties.h"

#include "common/number_text.h"

namespace mirokan {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

template <typename... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <typename... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace

std::optional<PropertyValue> PropertyBag::Read(std::string_view key) const {
  const auto found = values_.find(key);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

void PropertyBag::Write(std::string_view key, PropertyValue value,
                        const PropertyValue& save_default) {
  if (value == save_default) {
    if (const auto found = values_.find(key); found != values_.end()) values_.erase(found);
    return;
  }
  Put(key, std::move(value));
}

void PropertyBag::Put(std::string_view key, PropertyValue value) {
  values_.insert_or_assign(std::string(key), std::move(value));
}

std::optional<bool> ToBoolean(const PropertyValue& value) {
  return std::visit(Overloaded{
                        [](bool b) -> std::optional<bool> { return b; },
                        [](std::int64_t n) -> std::optional<bool> { return n != 0; },
                        [](const std::string& text) -> std::optional<bool> {
                          if (EqualsIgnoringCase(text, "True")) return true;
                          if (EqualsIgnoringCase(text, "False")) return false;
                          if (const auto number = ParseNumber(text)) return *number != 0.0;
                          return std::nullopt;
                        },
                        [](const ButtonFont&) -> std::optional<bool> { return std::nullopt; },
                    },
                    value);
}

std::optional<std::string> ToText(const PropertyValue& value) {
  return std::visit(
      Overloaded{
          [](bool b) -> std::optional<std::string> { return b ? "True" : "False"; },
          [](std::int64_t n) -> std::optional<std::string> { return DecimalText(n); },
          [](const std::string& text) -> std::optional<std::string> { return text; },
          [](const ButtonFont&) -> std::optional<std::string> { return std::nullopt; },
      },
      value);
}

std::optional<std::int64_t> ToWholeNumber(const PropertyValue& value, std::int64_t low,
                                          std::int64_t high) {
  std::optional<std::int64_t> number =
      std::visit(Overloaded{
                     // A stored true is -1, as the form file's 16-bit boolean holds it.
                     [](bool b) -> std::optional<std::int64_t> { return b ? -1 : 0; },
                     [](std::int64_t n) -> std::optional<std::int64_t> { return n; },
                     [](const std::string& text) -> std::optional<std::int64_t> {
                       // Text goes through a 32-bit integer, halves to even; larger
                       // numbers fail rather than wrap.
                       const auto parsed = ParseNumber(text);
                       if (!parsed) return std::nullopt;
                       const auto rounded = RoundToInt32(*parsed);
                       if (!rounded) return std::nullopt;
                       return std::int64_t{*rounded};
                     },
                     [](const ButtonFont&) -> std::optional<std::int64_t> { return std::nullopt; },
                 },
                 value);
  if (!number || *number < low || *number > high) return std::nullopt;
  return number;
}

void LoadButtonProperties(const PropertyBag& bag, const ButtonFont& ambient_font,
                          ButtonProperties& target) {
  const auto stored = [&bag](std::string_view key, PropertyValue load_default) {
    return bag.Read(key).value_or(std::move(load_default));
  };

  if (const auto enabled = ToBoolean(stored("Enabled", true))) target.Enabled = *enabled;
  if (const auto caption = ToText(stored("Caption", std::string(kLoadCaption)))) {
    target.Caption = *caption;
  }
  if (const auto font = stored("Font", ambient_font); std::holds_alternative<ButtonFont>(font)) {
    target.Font.name = std::get<ButtonFont>(font).name;
  }
  if (const auto first_run = ToWholeNumber(stored("FirstRun", std::string("1")), 0, 255)) {
    target.FirstRun = static_cast<std::uint8_t>(*first_run);
  }
  // A 32-bit colour may come back signed (system colours have the top bit set).
  if (const auto colour =
          ToWholeNumber(stored("FontColour", std::string("0")), -2147483648LL, 4294967295LL)) {
    target.FontColour = static_cast<std::uint32_t>(*colour);
  }
  // The background style knows only 0 and 1; anything else is refused like a bad value.
  if (const auto style = ToWholeNumber(stored("Visible", std::string("1")), 0, 1)) {
    target.Visible = static_cast<BackStyle>(*style);
  }
}

void SaveButtonProperties(const ButtonProperties& properties, const ButtonFont& ambient_font,
                          PropertyBag& bag) {
  bag.Write("Enabled", properties.Enabled, true);
  bag.Write("Caption", properties.Caption, std::string(kSaveCaption));
  bag.Write("FirstRun", std::int64_t{properties.FirstRun}, std::int64_t{1});
  bag.Write("Font", properties.Font, ambient_font);
  bag.Write("FontColour", std::int64_t{properties.FontColour}, std::int64_t{0});
  bag.Write("Visible", std::int64_t{static_cast<std::int16_t>(properties.Visible)},
            std::int64_t{1});
}

}  // namespace mirokan
