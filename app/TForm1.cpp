#include "app/TForm1.h"

#include "app/Artwork.h"
#include "app/Links.h"
#include "app/Pages.h"
#include "app/Tf_login.h"
#include "data/AccountTotals.h"
#include "data/Clock.h"
#include "data/Tx_Data.h"
#include "ui/ClickLabel.h"
#include "ui/Msg.h"
#include "ui/Skin.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QUrl>

namespace {
constexpr int kWidth = 966, kHeight = 632;
constexpr int kTitleH = 39, kHeaderH = 74, kFooterH = 33, kNavW = 190;
constexpr int kBodyTop = kTitleH + kHeaderH;           // 113
constexpr int kBodyH = kHeight - kBodyTop - kFooterH;  // 486

QString footerText()
{
    return QStringLiteral("官方网站：%1  技术支持：QQ:%2")
        .arg(QString::fromLatin1(kMakerSite), QString::fromLatin1(kSupportNumber));
}

QFont songti(int px, bool bold)
{
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

void setColour(QLabel* l, const QColor& c)
{
    l->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(c.name()));
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, c);
    l->setPalette(pal);
}
}

TForm1::TForm1(bool showLogin, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Window), m_showLogin(showLogin)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(kAppTitle));
    setFixedSize(kWidth, kHeight);
    setFont(songti(12, false));

    auto* title = new QLabel(this);
    title->setObjectName(QStringLiteral("Image1"));
    title->setGeometry(0, 0, kWidth, kTitleH);
    title->setPixmap(Artwork::titleBar(kWidth, kTitleH));
    title->installEventFilter(this);

    auto* close = new ClickLabel(this);
    close->setObjectName(QStringLiteral("Label1"));
    close->setToolTip(QStringLiteral("关闭"));
    close->setGeometry(kWidth - 49, 0, 49, 17);
    connect(close, &ClickLabel::clicked, this, &TForm1::Label1Click);
    auto* minimise = new ClickLabel(this);
    minimise->setObjectName(QStringLiteral("Label2"));
    minimise->setToolTip(QStringLiteral("最小化"));
    minimise->setGeometry(kWidth - 49 - 32, 0, 32, 21);
    connect(minimise, &ClickLabel::clicked, this, &TForm1::Label2Click);

    auto* header = new QLabel(this);
    header->setObjectName(QStringLiteral("Image2"));
    header->setGeometry(0, kTitleH, kWidth, kHeaderH);
    header->setPixmap(Artwork::header(kWidth, kHeaderH));
    connect(addHeader("Label3", "桌面", 640), &ClickLabel::clicked, this, &TForm1::Label3Click);
    connect(addHeader("Label4", "日记本", 692), &ClickLabel::clicked, this, &TForm1::Label4Click);
    connect(addHeader("Label5", "万年历", 756), &ClickLabel::clicked, this, &TForm1::Label5Click);
    connect(addHeader("Label6", "打印\\导出", 820), &ClickLabel::clicked, this, &TForm1::Label6Click);
    connect(addHeader("Label28", "帮助", 906), &ClickLabel::clicked, this, &TForm1::Label28Click);

    auto* nav = new QLabel(this);
    nav->setObjectName(QStringLiteral("Image3"));
    nav->setGeometry(0, kBodyTop, kNavW, kBodyH);
    nav->setPixmap(Artwork::navColumn(kNavW, kBodyH));
    connect(addNav("Label9", "支 出", 88, 40, 65, true), &ClickLabel::clicked, this, &TForm1::Label9Click);
    connect(addNav("Label10", "收 入", 88, 70, 65, true), &ClickLabel::clicked, this, &TForm1::Label10Click);
    connect(addNav("Label11", "账 户", 88, 100, 65, true), &ClickLabel::clicked, this, &TForm1::Label11Click);
    connect(addNav("Label16", "帐 户 转 账", 60, 137, 85, false), &ClickLabel::clicked, this, &TForm1::Label16Click);
    connect(addNav("Label12", "收 入 类 别", 59, 173, 85, false), &ClickLabel::clicked, this, &TForm1::Label12Click);
    connect(addNav("Label13", "支 出 类 别", 59, 200, 85, false), &ClickLabel::clicked, this, &TForm1::Label13Click);
    connect(addNav("Label15", "借 入 管 理", 60, 238, 85, false), &ClickLabel::clicked, this, &TForm1::Label15Click);
    connect(addNav("Label26", "借 出 管 理", 60, 262, 85, false), &ClickLabel::clicked, this, &TForm1::Label26Click);
    connect(addNav("Label18", "流 水 报 表", 60, 300, 85, false), &ClickLabel::clicked, this, &TForm1::Label18Click);
    connect(addNav("Label19", "分 类 报 表", 60, 325, 85, false), &ClickLabel::clicked, this, &TForm1::Label19Click);
    connect(addNav("Label20", "人 员 报 表", 60, 349, 85, false), &ClickLabel::clicked, this, &TForm1::Label20Click);
    connect(addNav("Label22", "预 算 管 理", 60, 388, 85, false), &ClickLabel::clicked, this, &TForm1::Label22Click);
    connect(addNav("Label24", "系 统 设 置", 60, 424, 85, false), &ClickLabel::clicked, this, &TForm1::Label24Click);
    ClickLabel* feedback = addNav("Label23", "建 议 反 馈", 60, 450, 85, false);
    m_nav.removeOne(feedback);  // a link, never highlighted
    connect(feedback, &ClickLabel::clicked, this, &TForm1::Label23Click);
    for (int y : {149, 213, 275, 363, 403}) {
        auto* sep = new QLabel(QStringLiteral("_________________________"), this);
        sep->setGeometry(21, kBodyTop + y, 145, 14);
        sep->setFont(songti(12, false));
        setColour(sep, QColor(0xc9, 0xa7, 0x7c));
    }

    auto* content = new QLabel(this);
    content->setObjectName(QStringLiteral("Image4"));
    content->setGeometry(kNavW, kBodyTop, kWidth - kNavW, kBodyH);
    content->setPixmap(Artwork::contentBackground(kWidth - kNavW, kBodyH));
    m_pnlShow = new QWidget(this);
    m_pnlShow->setObjectName(QStringLiteral("PnlShow"));
    m_pnlShow->setGeometry(kNavW, kBodyTop, 773, 486);
    m_pnlShow->setFixedSize(773, 486);

    auto* foot = new QLabel(this);
    foot->setObjectName(QStringLiteral("Image5"));
    foot->setGeometry(0, kHeight - kFooterH, kWidth, kFooterH);
    foot->setPixmap(Artwork::footer(kWidth, kFooterH));
    auto* footText = new ClickLabel(footerText(), this);
    footText->setObjectName(QStringLiteral("Label8"));
    footText->setGeometry(208, kHeight - kFooterH + 9, 420, 16);
    setColour(footText, QColor(0x6b, 0x4a, 0x2a));
    connect(footText, &ClickLabel::clicked, this, &TForm1::Label8Click);
    m_footerText = footText;
    m_clock = new QLabel(this);
    m_clock->setObjectName(QStringLiteral("l_time"));
    m_clock->setGeometry(704, kHeight - kFooterH + 9, 250, 16);
    m_clock->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setColour(m_clock, QColor(0x6b, 0x4a, 0x2a));

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &TForm1::Timer1Timer);

    // Centred on the desktop.
    if (QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());

    FormCreate();
}

TForm1::~TForm1() = default;

ClickLabel* TForm1::addNav(const char* name, const char* caption, int x, int y, int w, bool main)
{
    auto* l = new ClickLabel(QString::fromUtf8(caption), this);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(x, kBodyTop + y, w, main ? 25 : 16);
    l->setFont(songti(main ? 16 : 13, main));
    setColour(l, Qt::black);
    m_nav.append(l);
    return l;
}

ClickLabel* TForm1::addHeader(const char* name, const char* caption, int x)
{
    auto* l = new ClickLabel(QString::fromUtf8(caption), this);
    l->setObjectName(QString::fromLatin1(name));
    l->setFont(songti(13, false));
    l->adjustSize();
    l->move(x, kTitleH + 48);
    setColour(l, QColor(0x5a, 0x3a, 0x1c));
    return l;
}

void TForm1::FormCreate()
{
    // The program depends on dates reading as YYYY-MM-DD.
    if (!dateFromText(QStringLiteral("2012-01-01")).isValid()) {
        Msg::notice(this, QStringLiteral("系统补丁已打，请重新登陆，多次弹出请联系客服 QQ%1！").arg(QString::fromLatin1(kSupportNumber)));
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return;
    }
    LoadSkin();
    RecalcAccountTotals();
    m_timer->start();
}

void TForm1::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (!m_shown) {
        m_shown = true;
        // After the window is on screen, not inside the show event.
        QTimer::singleShot(0, this, &TForm1::FormShow);
    }
}

void TForm1::FormShow()
{
    if (m_showLogin) {
        Tf_login login(this);
        login.exec();
        if (LoginCancelled) {
            close();
            QCoreApplication::exit(0);
            return;
        }
    }
    OpenStartPage(StartPageCode);
}

void TForm1::OpenStartPage(const QString& code)
{
    bool ok = false;
    const int n = code.trimmed().toInt(&ok);
    if (!ok) {
        Msg::dbError(this, QStringLiteral("'%1' is not a valid integer value").arg(code));
        return;
    }
    switch (n) {
    case 2: OpenPage(Pages::shouru()); break;
    case 3: OpenPage(Pages::zhichu()); break;
    case 4: OpenPage(Pages::wannianli()); break;
    case 5: OpenPage(Pages::rijiben()); break;
    default: OpenPage(Pages::desktop()); break;
    }
}

bool TForm1::createPage(const PageFactory& factory)
{
    ClosePage();
    if (!factory)
        return false;
    QWidget* page = nullptr;
    try {
        page = factory();
    } catch (...) {
        page = nullptr;
    }
    if (!page)
        return false;
    page->setParent(m_pnlShow, Qt::Widget);
    page->setGeometry(m_pnlShow->rect());
    page->show();
    return true;
}

bool TForm1::OpenPage(const PageFactory& factory)
{
    if (!factory)
        return false;  // a module that this build does not carry
    if (!createPage(factory)) {
        Msg::notice(this, QStringLiteral("ddd"));
        return false;
    }
    return true;
}

void TForm1::ClosePage()
{
    const auto pages = m_pnlShow->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* w : pages)
        delete w;
}

QWidget* TForm1::currentPage() const
{
    const auto pages = m_pnlShow->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    return pages.isEmpty() ? nullptr : pages.last();
}

void TForm1::ResetNavHighlight()
{
    for (ClickLabel* l : std::as_const(m_nav)) {
        const QString n = l->objectName();
        if (n == u"Label9" || n == u"Label10" || n == u"Label11") {
            setColour(l, Qt::black);
        } else {
            QFont f = l->font();
            f.setBold(false);
            l->setFont(f);
        }
    }
    m_footerText->setText(footerText());
}

void TForm1::LoadSkin()
{
    ::LoadSkin(this);
}

bool TForm1::RecalcAccountTotals()
{
    QString error;
    if (!::RecalcAccountTotals(Database::shared(), &error)) {
        Msg::dbError(this, error);
        return false;
    }
    return true;
}

void TForm1::Timer1Timer()
{
    static const char* const kWeekdays[] = {"星期天 ", "星期一 ", "星期二 ", "星期三 ", "星期四 ", "星期五 ", "星期六 "};
    const QDateTime now = Clock::now();
    m_clock->setText(now.toString(QStringLiteral("yyyy年MM月dd日  hh:mm:ss")) + QStringLiteral("  ")
                     + QString::fromUtf8(kWeekdays[now.date().dayOfWeek() % 7]));
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched->objectName() == u"Image1") {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() == Qt::LeftButton)
                m_dragOrigin = me->position().toPoint();
        } else if (event->type() == QEvent::MouseMove) {
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->buttons() & Qt::LeftButton) {
                const QPoint d = me->position().toPoint() - m_dragOrigin;
                move(pos() + d);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::navigate(ClickLabel* entry, const PageFactory& factory)
{
    if (!factory)
        return;  // module not in this build: the entry does nothing
    const QString name = entry->objectName();
    // "账 户" needs fresh totals; three entries fail without a message.
    const bool recalc = name == u"Label11";
    const bool silent = name == u"Label9" || name == u"Label18" || name == u"Label24";
    if (recalc && !RecalcAccountTotals())
        return;
    if (silent)
        createPage(factory);
    else if (!OpenPage(factory))
        return;
    ResetNavHighlight();
    const QString n = entry->objectName();
    if (n == u"Label9" || n == u"Label10" || n == u"Label11") {
        setColour(entry, QColor(255, 0, 0));
    } else {
        QFont f = entry->font();
        f.setBold(true);
        entry->setFont(f);
    }
}

void TForm1::navigateForTest(const char* entry, const PageFactory& factory)
{
    navigate(findChild<ClickLabel*>(QString::fromLatin1(entry)), factory);
}

static ClickLabel* navLabel(QWidget* w, const char* name) { return w->findChild<ClickLabel*>(QString::fromLatin1(name)); }

void TForm1::Label9Click() { navigate(navLabel(this, "Label9"), Pages::zhichu()); }
void TForm1::Label10Click() { navigate(navLabel(this, "Label10"), Pages::shouru()); }
void TForm1::Label11Click() { navigate(navLabel(this, "Label11"), Pages::zhanghu()); }
void TForm1::Label16Click() { navigate(navLabel(this, "Label16"), Pages::zhuanzhang()); }
void TForm1::Label12Click() { navigate(navLabel(this, "Label12"), Pages::shouruleibie()); }
void TForm1::Label13Click() { navigate(navLabel(this, "Label13"), Pages::zhichuleibie()); }
void TForm1::Label15Click() { navigate(navLabel(this, "Label15"), Pages::jieru()); }
void TForm1::Label26Click() { navigate(navLabel(this, "Label26"), Pages::jiechu()); }
void TForm1::Label18Click() { navigate(navLabel(this, "Label18"), Pages::liushuibaobiao()); }
void TForm1::Label19Click() { navigate(navLabel(this, "Label19"), Pages::fenleibaobiao()); }
void TForm1::Label20Click() { navigate(navLabel(this, "Label20"), Pages::renyuanbaobiao()); }
void TForm1::Label22Click() { navigate(navLabel(this, "Label22"), Pages::yushuan()); }
void TForm1::Label24Click() { navigate(navLabel(this, "Label24"), Pages::system()); }

void TForm1::Label3Click()
{
    if (!RecalcAccountTotals())
        return;
    OpenPage(Pages::desktop());
    ResetNavHighlight();
}

void TForm1::Label4Click()
{
    if (const PageFactory f = Pages::rijiben()) {
        OpenPage(f);
        ResetNavHighlight();
    }
}

void TForm1::Label5Click()
{
    if (const PageFactory f = Pages::wannianli()) {
        OpenPage(f);
        ResetNavHighlight();
    }
}

void TForm1::Label6Click()
{
    if (const PageFactory f = Pages::dayin()) {
        OpenPage(f);
        ResetNavHighlight();
    }
}

void TForm1::Label1Click() { close(); }
void TForm1::Label2Click() { showMinimized(); }
void TForm1::Label28Click() { openUrl(QString::fromLatin1(kHelpDocument)); }
void TForm1::Label23Click() { openUrl(QString::fromLatin1(kMakerSite) + QStringLiteral("/help.htm")); }
void TForm1::Label8Click() { openUrl(QString::fromLatin1(kMakerSite) + QStringLiteral("/?id=2012_1")); }

void TForm1::openUrl(const QString& url)
{
    QDesktopServices::openUrl(QUrl(url));
}
