// The x11 backend's building blocks on a real X server: the connection and its error
// handling, the hints other programs read, pixels put on windows, public properties and the
// work area; plus the key and button tables.
#include "x11_test_support.h"  // first: GoogleTest before Xlib

#include "platform/x11/x11_display.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/messages.h"
#include "platform/gdi/bitmap.h"
#include "platform/x11/x11_hints.h"
#include "platform/x11/x11_input.h"
#include "platform/x11/x11_keymap.h"
#include "platform/x11/x11_present.h"
#include "platform/x11/x11_window.h"

namespace x11test {
namespace {

using platform::NativeWindowHints;
using platform::NativeWindowInfo;
using platform::x11::X11Display;

// ---- Tables -------------------------------------------------------------------------------

struct KeyCase {
  KeySym sym;
  UINT vk;
  UINT sided;
  bool extended;
};

TEST(X11Keymap, KeysymsMapToTheVirtualKeysOfThePcKeyboard) {
  const KeyCase cases[] = {
      {XK_a, 'A', 'A', false},
      {XK_Z, 'Z', 'Z', false},
      {XK_0, '0', '0', false},
      {XK_9, '9', '9', false},
      {XK_F1, VK_F1, VK_F1, false},
      {XK_F12, VK_F12, VK_F12, false},
      {XK_F13, 0x7C, 0x7C, false},
      {XK_F24, 0x87, 0x87, false},
      {XK_BackSpace, VK_BACK, VK_BACK, false},
      {XK_Tab, VK_TAB, VK_TAB, false},
      {XK_ISO_Left_Tab, VK_TAB, VK_TAB, false},
      {XK_Return, VK_RETURN, VK_RETURN, false},
      {XK_KP_Enter, VK_RETURN, VK_RETURN, true},
      {XK_Escape, VK_ESCAPE, VK_ESCAPE, false},
      {XK_space, VK_SPACE, VK_SPACE, false},
      {XK_Left, VK_LEFT, VK_LEFT, true},
      {XK_Up, VK_UP, VK_UP, true},
      {XK_Right, VK_RIGHT, VK_RIGHT, true},
      {XK_Down, VK_DOWN, VK_DOWN, true},
      {XK_Home, VK_HOME, VK_HOME, true},
      {XK_End, VK_END, VK_END, true},
      {XK_Prior, VK_PRIOR, VK_PRIOR, true},
      {XK_Next, VK_NEXT, VK_NEXT, true},
      {XK_Insert, VK_INSERT, VK_INSERT, true},
      {XK_Delete, VK_DELETE, VK_DELETE, true},
      {XK_KP_Home, VK_HOME, VK_HOME, false},
      {XK_KP_Delete, VK_DELETE, VK_DELETE, false},
      {XK_KP_0, VK_NUMPAD0, VK_NUMPAD0, false},
      {XK_KP_7, VK_NUMPAD0 + 7, VK_NUMPAD0 + 7, false},
      {XK_KP_Add, VK_ADD, VK_ADD, false},
      {XK_KP_Divide, VK_DIVIDE, VK_DIVIDE, true},
      {XK_Shift_L, VK_SHIFT, VK_LSHIFT, false},
      {XK_Shift_R, VK_SHIFT, VK_RSHIFT, false},
      {XK_Control_L, VK_CONTROL, VK_LCONTROL, false},
      {XK_Control_R, VK_CONTROL, VK_RCONTROL, true},
      {XK_Alt_L, VK_MENU, VK_LMENU, false},
      {XK_Alt_R, VK_MENU, VK_RMENU, true},
      {XK_semicolon, VK_OEM_1, VK_OEM_1, false},
      {XK_minus, VK_OEM_MINUS, VK_OEM_MINUS, false},
      {XK_slash, VK_OEM_2, VK_OEM_2, false},
      {XK_bracketleft, 0xDB, 0xDB, false},
      {XK_apostrophe, 0xDE, 0xDE, false},
      {XK_dead_acute, 0, 0, false},
  };
  for (const KeyCase& c : cases) {
    platform::x11::KeyTranslation t = platform::x11::TranslateKeysym(c.sym);
    EXPECT_EQ(t.virtualKey, c.vk) << XKeysymToString(c.sym);
    EXPECT_EQ(t.sidedKey, c.sided) << XKeysymToString(c.sym);
    EXPECT_EQ(t.extended, c.extended) << XKeysymToString(c.sym);
  }
}

TEST(X11Keymap, KeyMessageLParamCarriesScanCodeAndTransitionBits) {
  // 'A' is key code 38 on X (kernel 30 = PC scan code 0x1E).
  EXPECT_EQ(platform::x11::KeyMessageLParam(38, false, false, false, false), 0x001E0001);
  EXPECT_EQ(platform::x11::KeyMessageLParam(38, false, false, true, false), 0x401E0001);
  EXPECT_EQ(static_cast<DWORD>(platform::x11::KeyMessageLParam(38, false, false, true, true)), 0xC01E0001u);
  // Right arrow: key code 114, scan 0x6A with the extended bit; Alt held sets the context bit.
  EXPECT_EQ(platform::x11::KeyMessageLParam(114, true, true, false, false), 0x216A0001);
}

TEST(X11Input, ButtonsMeanPressesAndWheelSteps) {
  using platform::MouseButton;
  using platform::x11::ButtonMeaning;
  struct Case {
    unsigned button;
    ButtonMeaning::Kind kind;
    MouseButton which;
    int delta;
    bool horizontal;
  };
  const Case cases[] = {
      {1, ButtonMeaning::kButton, MouseButton::Left, 0, false},
      {2, ButtonMeaning::kButton, MouseButton::Middle, 0, false},
      {3, ButtonMeaning::kButton, MouseButton::Right, 0, false},
      {4, ButtonMeaning::kWheel, MouseButton::Left, 120, false},
      {5, ButtonMeaning::kWheel, MouseButton::Left, -120, false},
      {6, ButtonMeaning::kWheel, MouseButton::Left, -120, true},
      {7, ButtonMeaning::kWheel, MouseButton::Left, 120, true},
      {8, ButtonMeaning::kNone, MouseButton::Left, 0, false},
  };
  for (const Case& c : cases) {
    ButtonMeaning m = platform::x11::MeaningOfButton(c.button);
    EXPECT_EQ(m.kind, c.kind) << "button " << c.button;
    if (c.kind == ButtonMeaning::kButton) {
      EXPECT_EQ(m.button, c.which) << "button " << c.button;
    }
    if (c.kind == ButtonMeaning::kWheel) {
      EXPECT_EQ(m.wheelDelta, c.delta) << "button " << c.button;
      EXPECT_EQ(m.horizontal, c.horizontal) << "button " << c.button;
    }
  }
}

// ---- On a server --------------------------------------------------------------------------

class X11Parts : public XvfbTest {
 protected:
  void SetUp() override {
    XvfbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    display_ = X11Display::Open(server().display().c_str());
    ASSERT_NE(display_, nullptr);
  }
  void TearDown() override {
    display_.reset();
    XvfbTest::TearDown();
  }

  Window Create(const RECT& rect, const NativeWindowHints& hints, const std::wstring& title, Window owner = None) {
    NativeWindowInfo info;
    info.rect = rect;
    info.title = title;
    info.hints = hints;
    bool overrideRedirect = false;
    Window window = platform::x11::CreateXWindow(*display_, info, owner, &overrideRedirect);
    XSync(display_->display(), False);
    return window;
  }

  std::unique_ptr<X11Display> display_;
};

TEST_F(X11Parts, OffersA32BitArgbVisual) {
  EXPECT_TRUE(display_->hasArgbVisual());
  EXPECT_EQ(display_->depth(), 32);
}

TEST_F(X11Parts, OpeningADisplayWithoutServerFailsQuietly) {
  XvfbServer gone;
  std::string error;
  ASSERT_TRUE(gone.Start(&error)) << error;
  std::string name = gone.display();
  gone.Stop();
  EXPECT_EQ(X11Display::Open(name.c_str()), nullptr);
}

TEST_F(X11Parts, ErrorTrapCatchesTheErrorOfABadRequest) {
  X11Display::ErrorTrap trap(*display_);
  XWindowAttributes attributes;
  XGetWindowAttributes(display_->display(), 0x1FFFFFF, &attributes);
  EXPECT_EQ(trap.Finish(), BadWindow);
  // A clean request afterwards reports nothing.
  X11Display::ErrorTrap clean(*display_);
  XGetWindowAttributes(display_->display(), display_->root(), &attributes);
  EXPECT_EQ(clean.Finish(), 0);
}

TEST_F(X11Parts, LosingTheServerMarksTheConnectionLostAndTheProcessGoesOn) {
  Window window = Create(RECT{10, 10, 60, 60}, NativeWindowHints{}, L"doomed");
  ASSERT_NE(window, None);
  CloseObserver();  // a plain Xlib connection would exit() when the server dies
  server().Kill();
  XMapWindow(display_->display(), window);
  XSync(display_->display(), False);  // would exit() with Xlib's own handlers
  EXPECT_TRUE(display_->lost());
  X11Display::ErrorTrap trap(*display_);
  XMapWindow(display_->display(), window);
  EXPECT_NE(trap.Finish(), 0);
  display_.reset();  // closing a dead connection is safe too
}

TEST_F(X11Parts, TopmostToolWindowCarriesItsHintsAndIdentity) {
  NativeWindowHints hints;
  hints.topmost = true;
  hints.toolWindow = true;
  hints.borderless = true;
  Window window = Create(RECT{100, 150, 600, 500}, hints, L"Gr\u00fc\u00dfe \u2603");
  ASSERT_NE(window, None);
  XMapWindow(display_->display(), window);
  XSync(display_->display(), False);

  XRectangle geometry = GeometryOf(window);
  EXPECT_EQ(geometry.x, 100);
  EXPECT_EQ(geometry.y, 150);
  EXPECT_EQ(geometry.width, 500);
  EXPECT_EQ(geometry.height, 350);
  XWindowAttributes attributes{};
  XGetWindowAttributes(observer(), window, &attributes);
  EXPECT_EQ(attributes.depth, 32);
  EXPECT_FALSE(attributes.override_redirect);

  std::vector<std::string> state = AtomNamesOf(window, "_NET_WM_STATE");
  EXPECT_EQ(state, (std::vector<std::string>{"_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR",
                                             "_NET_WM_STATE_SKIP_PAGER"}));
  EXPECT_EQ(AtomNamesOf(window, "_NET_WM_WINDOW_TYPE"), std::vector<std::string>{"_NET_WM_WINDOW_TYPE_UTILITY"});
  std::vector<long> motif = LongsOf(window, "_MOTIF_WM_HINTS");
  ASSERT_EQ(motif.size(), 5u);
  EXPECT_EQ(motif[0] & 2, 2) << "decorations field set";
  EXPECT_EQ(motif[2], 0) << "no decorations";
  EXPECT_EQ(StringOf(window, "_NET_WM_NAME"), "Gr\xC3\xBC\xC3\x9F" "e \xE2\x98\x83");
  EXPECT_EQ(LongsOf(window, "_NET_WM_PID"), std::vector<long>{static_cast<long>(getpid())});
  std::vector<std::string> protocols = AtomNamesOf(window, "WM_PROTOCOLS");
  EXPECT_NE(std::find(protocols.begin(), protocols.end(), "WM_DELETE_WINDOW"), protocols.end());
  std::string windowClass = StringOf(window, "WM_CLASS");  // instance NUL class NUL
  EXPECT_NE(windowClass.find(std::string("\0Zelvo\0", 7)), std::string::npos) << windowClass;
}

TEST_F(X11Parts, DecoratedNormalWindowAsksForDecorationsAndNoState) {
  NativeWindowHints hints;
  hints.borderless = false;
  Window window = Create(RECT{0, 0, 200, 100}, hints, L"plain");
  ASSERT_NE(window, None);
  std::vector<long> motif = LongsOf(window, "_MOTIF_WM_HINTS");
  ASSERT_EQ(motif.size(), 5u);
  EXPECT_EQ(motif[2], 1) << "all decorations";
  EXPECT_TRUE(AtomNamesOf(window, "_NET_WM_STATE").empty());
  EXPECT_EQ(AtomNamesOf(window, "_NET_WM_WINDOW_TYPE"), std::vector<std::string>{"_NET_WM_WINDOW_TYPE_NORMAL"});
}

TEST_F(X11Parts, OwnedPopupsAreOverrideRedirectAndClickThroughHasNoInputShape) {
  Window owner = Create(RECT{0, 0, 300, 300}, NativeWindowHints{}, L"owner");
  NativeWindowHints menu;
  menu.popup = true;
  menu.owner = reinterpret_cast<HWND>(1);
  Window menuWindow = Create(RECT{20, 20, 120, 220}, menu, L"menu", owner);
  NativeWindowHints shadow = menu;
  shadow.layered = true;
  shadow.clickThrough = true;
  Window shadowWindow = Create(RECT{10, 10, 200, 200}, shadow, L"shadow", owner);
  ASSERT_NE(menuWindow, None);
  ASSERT_NE(shadowWindow, None);

  XWindowAttributes attributes{};
  XGetWindowAttributes(observer(), menuWindow, &attributes);
  EXPECT_TRUE(attributes.override_redirect);
  EXPECT_EQ(AtomNamesOf(menuWindow, "_NET_WM_WINDOW_TYPE"),
            std::vector<std::string>{"_NET_WM_WINDOW_TYPE_POPUP_MENU"});
  EXPECT_EQ(AtomNamesOf(shadowWindow, "_NET_WM_WINDOW_TYPE"), std::vector<std::string>{"_NET_WM_WINDOW_TYPE_TOOLTIP"});
  EXPECT_EQ(LongsOf(menuWindow, "WM_TRANSIENT_FOR"), std::vector<long>{static_cast<long>(owner)});

  int count = -1, ordering = 0;
  XRectangle* input = XShapeGetRectangles(observer(), shadowWindow, ShapeInput, &count, &ordering);
  EXPECT_EQ(count, 0) << "click-through: empty input shape";
  if (input != nullptr) XFree(input);
  input = XShapeGetRectangles(observer(), menuWindow, ShapeInput, &count, &ordering);
  EXPECT_EQ(count, 1) << "ordinary pop-up takes input over its whole rectangle";
  if (input != nullptr) XFree(input);

  platform::x11::SetInputPassThrough(*display_, shadowWindow, false);
  XSync(display_->display(), False);
  input = XShapeGetRectangles(observer(), shadowWindow, ShapeInput, &count, &ordering);
  EXPECT_EQ(count, 1) << "input restored";
  if (input != nullptr) XFree(input);
}

// Reads the window's pixels from the server as 0xAARRGGBB words.
std::vector<std::uint32_t> ReadBack(Display* display, Window window, int width, int height) {
  std::vector<std::uint32_t> pixels;
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            AllPlanes, ZPixmap);
  if (image == nullptr) return pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y)));
  }
  XDestroyImage(image);
  return pixels;
}

TEST_F(X11Parts, LayeredPixelsReadBackExactlyAndPlainUpdatesOnlyTheirRectangleOpaque) {
  NativeWindowHints hints;
  hints.layered = true;
  Window window = Create(RECT{50, 60, 114, 108}, hints, L"pixels");  // 64 x 48
  ASSERT_NE(window, None);
  XMapWindow(display_->display(), window);
  XSync(display_->display(), False);
  GC gc = XCreateGC(display_->display(), window, 0, nullptr);

  platform::Bitmap bitmap(64, 48);
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      // Premultiplied: every colour channel at most alpha.
      std::uint32_t a = static_cast<std::uint32_t>((x * 4 + y) & 0xFF);
      std::uint32_t r = a * static_cast<std::uint32_t>(x) / 63;
      std::uint32_t g = a * static_cast<std::uint32_t>(y) / 47;
      std::uint32_t b = a / 2;
      bitmap.SetPixel(x, y, (a << 24) | (r << 16) | (g << 8) | b);
    }
  }
  ASSERT_TRUE(platform::x11::PutPixels(*display_, window, gc, bitmap, RECT{0, 0, 64, 48}, false));
  XSync(display_->display(), False);
  std::vector<std::uint32_t> seen = ReadBack(observer(), window, 64, 48);
  ASSERT_EQ(seen.size(), 64u * 48u);
  int mismatches = 0;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      if (seen[static_cast<std::size_t>(y) * 64 + x] != bitmap.PixelAt(x, y) && mismatches++ < 5) {
        ADD_FAILURE() << "pixel " << x << "," << y << " read " << std::hex << seen[static_cast<std::size_t>(y) * 64 + x]
                      << " put " << bitmap.PixelAt(x, y);
      }
    }
  }
  EXPECT_EQ(mismatches, 0);

  // A plain present of a rectangle: written opaque, nothing outside it touched.
  platform::Bitmap plain(64, 48);
  plain.Clear(0x00336699);  // colour with alpha 0, as GDI drawing leaves it
  ASSERT_TRUE(platform::x11::PutPixels(*display_, window, gc, plain, RECT{8, 4, 24, 20}, true));
  XSync(display_->display(), False);
  seen = ReadBack(observer(), window, 64, 48);
  ASSERT_EQ(seen.size(), 64u * 48u);
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      bool inside = x >= 8 && x < 24 && y >= 4 && y < 20;
      std::uint32_t expected = inside ? 0xFF336699u : bitmap.PixelAt(x, y);
      ASSERT_EQ(seen[static_cast<std::size_t>(y) * 64 + x], expected) << x << "," << y;
    }
  }
  XFreeGC(display_->display(), gc);
}

TEST_F(X11Parts, PublicPropertyIsFoundFromAnotherConnection) {
  Window first = Create(RECT{0, 0, 50, 50}, NativeWindowHints{}, L"first");
  Window second = Create(RECT{0, 0, 50, 50}, NativeWindowHints{}, L"second");
  ASSERT_NE(first, None);
  ASSERT_NE(second, None);
  platform::x11::WritePublicProperty(*display_, second, L"Velmora Quillon", 0x1234567890LL);
  XSync(display_->display(), False);

  std::unique_ptr<X11Display> other = X11Display::Open(server().display().c_str());
  ASSERT_NE(other, nullptr);
  std::int64_t value = 0;
  EXPECT_TRUE(platform::x11::FindPublicPropertyOnDisplay(*other, L"Velmora Quillon", &value));
  EXPECT_EQ(value, 0x1234567890LL);
  EXPECT_FALSE(platform::x11::FindPublicPropertyOnDisplay(*other, L"Nobody Sets This", &value));

  platform::x11::WritePublicProperty(*display_, second, L"Velmora Quillon", 0);
  XSync(display_->display(), False);
  EXPECT_FALSE(platform::x11::FindPublicPropertyOnDisplay(*other, L"Velmora Quillon", &value));
}

TEST_F(X11Parts, WorkAreaComesFromTheRootOrIsTheWholeScreen) {
  RECT screen = platform::x11::ReadWorkArea(*display_);
  EXPECT_EQ(screen.left, 0);
  EXPECT_EQ(screen.top, 0);
  EXPECT_EQ(screen.right, 1280);
  EXPECT_EQ(screen.bottom, 800);

  Window root = DefaultRootWindow(observer());
  long areas[8] = {0, 0, 1280, 760, 40, 24, 1200, 776};  // two desktops
  XChangeProperty(observer(), root, XInternAtom(observer(), "_NET_WORKAREA", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<unsigned char*>(areas), 8);
  long current = 1;
  XChangeProperty(observer(), root, XInternAtom(observer(), "_NET_CURRENT_DESKTOP", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<unsigned char*>(&current), 1);
  XSync(observer(), False);
  RECT work = platform::x11::ReadWorkArea(*display_);
  EXPECT_EQ(work.left, 40);
  EXPECT_EQ(work.top, 24);
  EXPECT_EQ(work.right, 1240);
  EXPECT_EQ(work.bottom, 800);
}

}  // namespace
}  // namespace x11test
