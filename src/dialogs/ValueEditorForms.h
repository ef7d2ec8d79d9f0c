#pragma once
// The settings pages with press-and-hold number editors, drawn in Qt:
// "Best Countries" (TUSForm_2), "Gold && Currencies" (TUSForm_3) and
// "Global Risk " (TUSForm_4, also the currency choice and the three trust
// bars). The session pages decide; these forward arrow presses and
// releases, bar events and their 50 ms MainTimer, and show the texts the
// session pages keep. A hold ends without its release step when the page
// hides or the window loses the mouse.

#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <string>

class QHideEvent;
class QLabel;
class THoldRows;

namespace session {
class TConcentrationPage;
class TGoldPage;
class TPortfolioPage;
}  // namespace session

namespace dialogs {
class TDialogButton;
class TFrame;
}  // namespace dialogs

// "Best Countries"; objectName "USForm_2".
class TUSForm_2 : public QWidget {
  Q_OBJECT
 public:
  TUSForm_2(QWidget* parent, session::TConcentrationPage& page);
  // The session page's state on the controls; the timer runs from the first call on.
  void Refresh();
  // One tick of MainTimer (public so that tests fire it).
  void OnFormTimer();
  QTimer MainTimer;
  session::TConcentrationPage& Page() const { return Page_; }

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  // Ends a hold without its release step; the editors show the stored values again.
  void CancelPresses();

  session::TConcentrationPage& Page_;
  THoldRows* Rows_ = nullptr;
  QLabel* InformationTitle_1 = nullptr;
  QLabel* InformationTitle_2 = nullptr;
  QLabel* InformationTitle_3 = nullptr;
};

// "Gold && Currencies"; objectName "USForm_3".
class TUSForm_3 : public QWidget {
  Q_OBJECT
 public:
  TUSForm_3(QWidget* parent, session::TGoldPage& page);
  void Refresh();
  void OnFormTimer();
  QTimer MainTimer;
  session::TGoldPage& Page() const { return Page_; }

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  void CancelPresses();

  session::TGoldPage& Page_;
  THoldRows* Rows_ = nullptr;
  dialogs::TFrame* CheckBox_1 = nullptr;
};

// Asks for a currency (the currency dialog); true and the code when one was chosen.
using TCurrencyChoice = std::function<bool(std::string& code)>;

// "Global Risk "; objectName "USForm_4".
class TUSForm_4 : public QWidget {
  Q_OBJECT
 public:
  TUSForm_4(QWidget* parent, session::TPortfolioPage& page, TCurrencyChoice chooseCurrency);
  void Refresh();
  void OnFormTimer();
  QTimer MainTimer;
  session::TPortfolioPage& Page() const { return Page_; }

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  void OnSelectClick();
  // Cursor and value label of `bar` where the session bar has them.
  void ShowTrustBar(std::size_t bar);
  // Ends the holds and the bar presses (the page hid or the window lost the mouse).
  void CancelPresses();

  session::TPortfolioPage& Page_;
  TCurrencyChoice ChooseCurrency_;
  THoldRows* Rows_ = nullptr;
  QLabel* Value_1 = nullptr;
  dialogs::TDialogButton* SelectButton_1 = nullptr;
  std::array<QWidget*, 3> TrackBarSupports_{};
  std::array<dialogs::TFrame*, 3> TrackBarCursors_{};
  std::array<QLabel*, 3> TrustValues_{};
};
