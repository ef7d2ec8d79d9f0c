// Currency picker by clicks: the "LOCAL" row and panel height, the normal
// look at every opening, the code returned by a click and the three cancels.

#include <gtest/gtest.h>

#include <functional>

#include "dialogs/CurrencySelectionForm.h"
#include "dialogs/DialogTestSupport.h"

namespace {

using namespace dialogtest;
using dialogs::TDialogButton;

constexpr QRgb kNormalFill = 0xFFC5D2DD;
constexpr QRgb kHoverFill = 0xFF708CD5;

class CurrencySelectionFormTest : public ::testing::Test {
 protected:
  // Shows the picker and runs action inside its modal loop.
  bool Show(bool showLocal, std::function<void()> action) {
    WhenShown(std::move(action));
    return ShowCurrencySelectionForm(&Form, showLocal);
  }
  TDialogButton* Button(const QString& name) { return Form.MainSupport()->findChild<TDialogButton*>(name); }

  TMainWindow Main;
  TCurrencySelectionForm Form{&Main.Window};
};

TEST_F(CurrencySelectionFormTest, LocalRowSetsPanelHeight) {
  for (const bool showLocal : {false, true, false}) {
    SCOPED_TRACE(showLocal);
    int height = 0;
    bool localVisible = !showLocal;
    EXPECT_FALSE(Show(showLocal, [&] {
      height = Form.MainSupport()->height();
      localVisible = Button(QStringLiteral("LocalButton"))->isVisible();
      Escape(&Form);
    }));
    // The lowest shown row ends 10 px above the panel's bottom.
    EXPECT_EQ(height, showLocal ? 310 : 256);
    EXPECT_EQ(localVisible, showLocal);
    EXPECT_EQ(Form.MainSupport()->width(), 394);
  }
}

TEST_F(CurrencySelectionFormTest, CodeClickReturnsItsTitle) {
  const struct {
    const char* name;
    const char* code;
    QPoint position;
  } cases[] = {
      {"Button_1", "AUD", {10, 34}},    {"Button_7", "CZK", {334, 34}},      {"Button_9", "EUR", {64, 88}},
      {"Button_16", "JPY", {64, 142}},  {"Button_22", "PHP", {10, 196}},     {"Button_27", "USD", {280, 196}},
      {"Button_28", "ZAR", {334, 196}}, {"LocalButton", "LOCAL", {10, 250}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TDialogButton* button = Button(QString::fromLatin1(c.name));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->pos(), c.position);
    EXPECT_EQ(button->size(), QSize(50 + (c.position.y() == 250 ? 324 : 0), 50));
    const QString titleName =
        QString::fromLatin1(c.name).replace(QStringLiteral("Button"), QStringLiteral("ButtonTitle"));
    EXPECT_EQ(button->findChild<QLabel*>(titleName), button->Title());
    // The clicked button shows the chosen look until the picker closes.
    QRgb fill = 0, caption = 0;
    EXPECT_TRUE(Show(true, [&] {
      Click(button);
      fill = button->Fill();
      caption = TextColor(button->Title());
    }));
    EXPECT_EQ(Form.SelectedCurrency, c.code);
    EXPECT_EQ(Form.ModalResult, 1);
    EXPECT_EQ(fill, kHoverFill);
    EXPECT_EQ(caption, 0xFFFFFFFFu);
  }
}

TEST_F(CurrencySelectionFormTest, ReopeningShowsNormalLookAndHoverFollowsMouse) {
  TDialogButton* eur = Form.Buttons[8];
  ASSERT_TRUE(Show(false, [&] {
    Click(eur);
    EXPECT_EQ(eur->Fill(), kHoverFill);
  }));
  std::vector<QRgb> fills, strokes;
  QRgb hovered = 0, left = 0;
  EXPECT_FALSE(Show(false, [&] {
    for (TDialogButton* button : Form.Buttons) fills.push_back(button->Fill()), strokes.push_back(button->Stroke());
    fills.push_back(Form.LocalButton->Fill());
    strokes.push_back(Form.LocalButton->Stroke());
    Hover(Form.Buttons[3], true);
    hovered = Form.Buttons[3]->Fill();
    Hover(Form.Buttons[3], false);
    left = Form.Buttons[3]->Fill();
    Escape(&Form);
  }));
  ASSERT_EQ(fills.size(), 29u);
  EXPECT_EQ(fills, std::vector<QRgb>(29, kNormalFill));
  EXPECT_EQ(strokes, fills);
  EXPECT_EQ(hovered, kHoverFill);
  EXPECT_EQ(left, kNormalFill);
}

TEST_F(CurrencySelectionFormTest, CancelsKeepTheCode) {
  ASSERT_TRUE(Show(false, [&] { Click(Form.Buttons[26]); }));
  ASSERT_EQ(Form.SelectedCurrency, "USD");
  const std::pair<const char*, std::function<void()>> cancels[] = {
      {"Escape", [&] { Escape(&Form); }},
      {"close image", [&] { Click(Form.CloseButton()); }},
      {"press outside", [&] { ClickFormAt(&Form, QPoint(3, 3)); }},
  };
  for (const auto& [how, cancel] : cancels) {
    SCOPED_TRACE(how);
    EXPECT_FALSE(Show(false, cancel));
    EXPECT_EQ(Form.ModalResult, 2);
    EXPECT_EQ(Form.SelectedCurrency, "USD");
  }
  ASSERT_NE(Form.CloseButton(), nullptr);
  EXPECT_EQ(Form.CloseButton()->pos(), QPoint(370, 0));
}

// The grid lies inside the panel without overlaps, in both heights; with
// QUORVANE_DIALOG_PNG_DIR set, the panel is also saved as a picture.
TEST_F(CurrencySelectionFormTest, GridFitsThePanel) {
  const QByteArray dir = qgetenv("QUORVANE_DIALOG_PNG_DIR");
  for (const bool showLocal : {false, true}) {
    SCOPED_TRACE(showLocal);
    Show(showLocal, [&] {
      const QRect panel(QPoint(0, 0), Form.MainSupport()->size());
      std::vector<QRect> rects;
      for (TDialogButton* button : Form.MainSupport()->findChildren<TDialogButton*>()) {
        if (!button->isVisible()) continue;
        EXPECT_TRUE(panel.contains(button->geometry())) << button->objectName().toStdString();
        for (const QRect& other : rects) EXPECT_FALSE(other.intersects(button->geometry()));
        rects.push_back(button->geometry());
      }
      EXPECT_EQ(rects.size(), showLocal ? 29u : 28u);
      if (!dir.isEmpty()) {
        EXPECT_TRUE(Form.MainSupport()->grab().save(QString::fromUtf8(dir) +
                                                    QString("/currency-%1.png").arg(showLocal ? "local" : "codes")));
      }
      Escape(&Form);
    });
  }
}

}  // namespace
