// The main window on each screen of the test desktop, as the window system
// gives it: where it opens, that every tab group and the window's buttons
// lie on the screen, maximise, restore and minimise through the buttons,
// and the quit question centred on the window.

#include <gtest/gtest.h>

#include <QScreen>
#include <QWindow>
#include <cstdlib>
#include <string>

#include "AppTestSupport.h"
#include "data/TempDir.h"
#include "dialogs/DialogWidgets.h"
#include "session/WindowTexts.h"

namespace {

using session::TWindowGroup;

// A control's rectangle on the virtual desktop.
QRect GlobalRect(const QWidget* control) { return {control->mapToGlobal(QPoint(0, 0)), control->size()}; }

::testing::AssertionResult OnScreen(const QWidget* control, const QRect& screen) {
  const QRect rect = GlobalRect(control);
  if (screen.contains(rect)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << control->objectName().toStdString() << " at (" << rect.x() << ", " << rect.y()
                                       << ", " << rect.width() << " x " << rect.height() << ") leaves the screen ("
                                       << screen.x() << ", " << screen.y() << ", " << screen.width() << " x "
                                       << screen.height() << ")";
}

// Every group the user reaches lies on the screen: the tab groups with each
// of their tabs, the theme row with each theme tab, the window's buttons.
void ExpectReachable(app::TMainForm& form, const QRect& screen, const std::string& where) {
  SCOPED_TRACE(where);
  for (TWindowGroup group : {TWindowGroup::MainTabsheetSupport, TWindowGroup::DatesSelectionSupport,
                             TWindowGroup::VLTabsheetSupport, TWindowGroup::HATabsheetSupport,
                             TWindowGroup::VRTabsheetSupport, TWindowGroup::HBTabsheetSupport,
                             TWindowGroup::ThemeSelectionSupport, TWindowGroup::SystemToolbarSupport,
                             TWindowGroup::ConnectButtonSupport, TWindowGroup::Logo, TWindowGroup::ProgressSupport}) {
    EXPECT_TRUE(OnScreen(form.Group(group), screen));
  }
  for (int i = 0; i <= 8; ++i)
    EXPECT_TRUE(OnScreen(form.Find(("ThemeSelectionTabsheet_" + std::to_string(i)).c_str()), screen));
  for (const char* name : {"MinimizeButton", "MaximizeOrRestoreButton", "CloseButton"})
    EXPECT_TRUE(OnScreen(form.Find(name), screen));
}

// Per screen: the opening geometry (filled when not larger than the
// reference, else 1920 x 1080 centred), then maximise to the whole screen
// with the layout at that size, the quit question centred and cancelled,
// restore to the opening geometry, minimise.
TEST(WindowScreensTest, WindowFitsEveryScreenAndMaximisesToIt) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  if (screens.size() != static_cast<qsizetype>(apptest::kTestScreens.size()))
    GTEST_SKIP() << "the platform was chosen outside the test (QT_QPA_PLATFORM)";
  const QRect expectedOpen[] = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1728, 972), QRect(3648 + 320, 180, 1920, 1080)};
  for (std::size_t i = 0; i < apptest::kTestScreens.size(); ++i) {
    QScreen* screen = screens[static_cast<qsizetype>(i)];
    const QRect available = screen->availableGeometry();
    ASSERT_EQ(available, apptest::kTestScreens[i]);
    const std::string where = std::to_string(available.width()) + " x " + std::to_string(available.height());
    SCOPED_TRACE(where);

    TempDir home;
    home.UseAsHome("home");
    ScopedEnv host{"QUORVANE_SERVER_HOST", "127.0.0.1:1"};  // no server: the failure panel with the buttons
    app::TMainForm form;
    form.PlaceOnScreen(screen);
    ASSERT_TRUE(apptest::RunToEnd(form));
    qttest::TWindowPointer pointer(&form);
    QWindow* window = form.windowHandle();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->screen(), screen);
    EXPECT_EQ(window->geometry(), expectedOpen[i]);
    ExpectReachable(form, available, "opened");

    EXPECT_TRUE(pointer.ClickOn(form.Find("MaximizeOrRestoreButton")));
    EXPECT_TRUE(form.isMaximized());
    EXPECT_EQ(window->geometry(), available);
    ExpectReachable(form, available, "maximised");
    // Laid out at the full size: the theme row on the bottom edge, the chart area to it.
    const QRect themes = GlobalRect(form.Group(TWindowGroup::ThemeSelectionSupport));
    EXPECT_EQ(themes.bottom(), available.bottom());
    const QWidget* chart = form.Group(TWindowGroup::GeneralInformationAndGraphicSupport);
    EXPECT_EQ(chart->height(), available.height() - (6 * 36 + 120));

    // The quit question: its panel centred on the window, on the screen; Cancel keeps the window.
    bool asked = false;
    apptest::WhenShowing(form.QuestionForm, [&] {
      asked = true;
      form.QuestionForm->FinishAnimations();
      const QWidget* panel = form.QuestionForm->MainSupport();
      const QRect box = GlobalRect(panel);
      const QPoint centre = window->geometry().center();
      EXPECT_LE(std::abs(box.center().x() - centre.x()), 1);
      EXPECT_LE(std::abs(box.center().y() - centre.y()), 1);
      EXPECT_TRUE(OnScreen(panel, available));
      EXPECT_TRUE(pointer.ClickOn(form.QuestionForm->NoButton));
    });
    EXPECT_TRUE(pointer.ClickOn(form.Find("CloseButton")));
    EXPECT_TRUE(asked);
    EXPECT_TRUE(form.isVisible());

    EXPECT_TRUE(pointer.ClickOn(form.Find("MaximizeOrRestoreButton")));
    EXPECT_FALSE(form.isMaximized());
    EXPECT_EQ(window->geometry(), expectedOpen[i]);
    ExpectReachable(form, available, "restored");

    EXPECT_TRUE(pointer.ClickOn(form.Find("MinimizeButton")));
    EXPECT_TRUE(form.isMinimized());
  }
}

}  // namespace
