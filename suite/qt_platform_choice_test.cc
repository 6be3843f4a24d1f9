// The choice of the Qt platform before any window: every way a window cannot be shown
// is an answer, never a process that ends or waits.

#include "suite/qt_platform_choice.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace {

// A TCP port on the loopback that takes connections and never says a word: an X
// server that does not answer, at display 127.0.0.1:number.
class SilentListener {
 public:
  SilentListener() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    for (int n = 90; n < 200 && number_ < 0; ++n) {
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_port = htons(static_cast<uint16_t>(6000 + n));
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      if (bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0 && listen(fd_, 8) == 0) number_ = n;
    }
  }
  ~SilentListener() { close(fd_); }
  SilentListener(const SilentListener&) = delete;
  SilentListener& operator=(const SilentListener&) = delete;
  std::string Display() const { return "127.0.0.1:" + std::to_string(number_); }
  bool ok() const { return number_ >= 0; }

 private:
  int fd_ = -1;
  int number_ = -1;
};

TEST(QtPlatformChoiceTest, EveryAlternativeIsTriedAndEachRefusalSaysWhy) {
  SilentListener silent;
  ASSERT_TRUE(silent.ok());
  const std::vector<std::string> dirs = suite::CurrentQtPlatformEnvironment().plugin_dirs;
  struct Case {
    const char* what;
    std::string qpa, display, wayland;
    std::string name, argument;  // chosen, or
    std::vector<std::string> error_has;
  };
  const Case cases[] = {
      {"nothing set", "", "", "", "", "", {"无法显示窗口：没有可用的显示器", "QT_QPA_PLATFORM=offscreen"}},
      {"offscreen", "offscreen", "", "", "offscreen", "offscreen", {}},
      {"options kept", "offscreen:fontengine=freetype", "", "", "offscreen", "offscreen:fontengine=freetype", {}},
      {"first that starts", "nosuch;offscreen", "", "", "offscreen", "offscreen", {}},
      {"no such plugin", "nosuch", ":0", "", "", "", {"找不到图形平台插件“nosuch”"}},
      {"xcb without DISPLAY", "xcb", "", "", "", "", {"没有设置 DISPLAY"}},
      {"nobody at the display", "", ":4711", "", "", "", {"连接不上显示器“:4711”"}},
      {"not a display name", "xcb", "no display here", "", "", "", {"不是显示器的名字"}},
      {"silent display", "", silent.Display(), "", "", "", {"没有应答"}},
      {"both refused", "xcb;nosuch", silent.Display(), "", "", "", {"没有应答；找不到图形平台插件"}},
      {"plugins that need hardware", "eglfs", "", "", "", "", {"图形平台“eglfs”不能在这里使用"}},
      {"wayland without its plugin or socket", "", "", "wayland-4711", "", "", {"wayland"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    suite::QtPlatformEnvironment env;
    env.qpa_platform = c.qpa;
    env.display = c.display;
    env.wayland_display = c.wayland;
    env.plugin_dirs = dirs;
    env.answer_timeout = std::chrono::milliseconds(300);
    auto started = std::chrono::steady_clock::now();
    suite::QtPlatformChoice choice = suite::ChooseQtPlatform(env);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_EQ(choice.name, c.name);
    EXPECT_EQ(choice.argument, c.argument);
    if (c.error_has.empty()) {
      EXPECT_EQ(choice.error, "");
    }
    for (const std::string& part : c.error_has) EXPECT_NE(choice.error.find(part), std::string::npos) << choice.error;
  }
}

// With the X server the test command starts, the display is taken.
TEST(QtPlatformChoiceTest, AnAnsweringXServerIsChosen) {
  const char* display = std::getenv("MOM_TEST_X_DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "no X server given (MOM_TEST_X_DISPLAY)";
  suite::QtPlatformEnvironment env;
  env.display = display;
  env.plugin_dirs = suite::CurrentQtPlatformEnvironment().plugin_dirs;
  suite::QtPlatformChoice choice = suite::ChooseQtPlatform(env);
  EXPECT_EQ(choice.error, "");
  EXPECT_EQ(choice.name, "xcb");
}

}  // namespace
