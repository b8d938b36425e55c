#pragma once
// The main window: own title bar, header entries, navigation column, the
// content panel that shows exactly one page at a time, footer and clock.

#include <QWidget>
#include <functional>

class ClickLabel;
class QLabel;
class QTimer;

using PageFactory = std::function<QWidget*()>;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    // showLogin false leaves out the login dialog (tests and screenshots).
    explicit TForm1(bool showLogin = true, QWidget* parent = nullptr);
    ~TForm1() override;

    // Replaces the page in PnlShow by a new one; "ddd" when it cannot be made.
    bool OpenPage(const PageFactory& factory);
    void ClosePage();
    void ResetNavHighlight();
    void LoadSkin();
    // Rebuilds the account totals; a failure shows the database's message.
    bool RecalcAccountTotals();
    // The page shown now (null when none).
    QWidget* currentPage() const;
    // Opens the first page for a start page code ("1".."5").
    void OpenStartPage(const QString& code);
    // Clicks a left-column entry with the given page (tests of the highlight
    // for modules whose pages come later).
    void navigateForTest(const char* entry, const PageFactory& factory);

public slots:
    void FormCreate();
    void FormShow();
    void Timer1Timer();
    void Label1Click();
    void Label2Click();
    void Label3Click();
    void Label4Click();
    void Label5Click();
    void Label6Click();
    void Label28Click();
    void Label9Click();
    void Label10Click();
    void Label11Click();
    void Label16Click();
    void Label12Click();
    void Label13Click();
    void Label15Click();
    void Label26Click();
    void Label18Click();
    void Label19Click();
    void Label20Click();
    void Label22Click();
    void Label24Click();
    void Label23Click();
    void Label8Click();

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ClickLabel* addNav(const char* name, const char* caption, int x, int y, int w, bool main);
    ClickLabel* addHeader(const char* name, const char* caption, int x);
    // One left-column entry: recalculation where needed, the page, the highlight.
    void navigate(ClickLabel* entry, const PageFactory& factory);
    bool createPage(const PageFactory& factory);
    void openUrl(const QString& url);

    QWidget* m_pnlShow = nullptr;
    QLabel* m_footerText = nullptr;
    QLabel* m_clock = nullptr;
    QTimer* m_timer = nullptr;
    QList<ClickLabel*> m_nav;
    QPoint m_dragOrigin;
    bool m_showLogin;
    bool m_shown = false;
};
