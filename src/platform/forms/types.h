// Value types shared by the form model and its backends. Measures are twips
// (1/1440 inch; 15 twips per pixel at 96 dpi).
#pragma once

#include <cstdint>
#include <string>

namespace quilbert::forms {

inline constexpr int kTwipsPerPixel = 15;

struct Color {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Color&, const Color&) = default;
  // Windows COLORREF order: 0x00BBGGRR.
  static constexpr Color fromBgr(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>((v >> 8) & 0xFF),
            static_cast<std::uint8_t>((v >> 16) & 0xFF)};
  }
};

inline constexpr Color kFormGrey{236, 233, 216};
inline constexpr Color kWindowText{0, 0, 0};
inline constexpr Color kWindowBackground{255, 255, 255};
inline constexpr Color kLightYellow{255, 255, 192};

struct Font {
  std::string name = "MS Sans Serif";
  double size = 8.25;  // points
  bool bold = false;
  bool symbol = false;  // symbol character set (Wingdings)
  bool underline = false;
  friend bool operator==(const Font&, const Font&) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// A picture is named by its file; the backend decides how to draw it. An empty
// file name is "no picture". width/height are in pixels when known.
struct Picture {
  std::string file;
  int width = 0;
  int height = 0;
  [[nodiscard]] bool empty() const { return file.empty(); }
  friend bool operator==(const Picture&, const Picture&) = default;
};

// Values as the classic runtime numbers them (vbDefault, vbArrow, vbHourglass).
enum class MousePointer : std::int16_t { Default = 0, Arrow = 1, Hourglass = 11 };

enum class BorderStyle { None, FixedSingle, Sizable, FixedDialog, FixedToolWindow };

enum class Alignment { Left, Right, Center };

// Mouse buttons and shift state as the classic runtime reports them.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;

inline constexpr int kKeyReturn = 13;
inline constexpr int kKeyEscape = 27;

// Why a form is being unloaded (QueryUnload's reason).
enum class UnloadReason { ControlMenu = 0, Code = 1, WindowsSession = 2, TaskManager = 3 };

// What changed on a control or form, so that a view can update just that.
enum class Prop {
  Geometry,
  Visible,
  Enabled,
  Caption,
  Text,
  Value,
  Picture,
  Font,
  ForeColor,
  BackColor,
  ToolTip,
  Items,
  Timer,
  Style,
  Menu,
  Icon,
  // The accessible name or description: what a screen reader says of it.
  Accessible,
  TabIndex,
};

}  // namespace quilbert::forms
