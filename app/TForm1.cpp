#include "app/TForm1.h"

#include "app/Artwork.h"
#include "app/Links.h"
#include "app/Pages.h"
#include "app/Tf_login.h"
#include "data/AccountTotals.h"
#include "data/Backup.h"
#include "data/Clock.h"
#include "data/Journal.h"
#include "data/Sums.h"
#include "data/Tx_Data.h"
#include "recurring/Tf_daichuli.h"
#include "ui/ClickLabel.h"
#include "ui/LongWork.h"
#include "ui/Msg.h"
#include "ui/Page.h"
#include "ui/RestoreStep.h"
#include "ui/Skin.h"
#include "ui/Theme.h"
#include "ui/WaitCursor.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextEdit>
#include <QThread>
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

// One of the window's drawn pictures at its place.
QLabel* picture(QWidget* parent, const char* name, const QRect& r, const QPixmap& pm)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(r);
    l->setPixmap(pm);
    return l;
}

using Theme::setColour;

// An application-wide event filter that hands the events to a function.
class KeyFilter : public QObject {
public:
    KeyFilter(std::function<bool(QObject*, QEvent*)> filter, QObject* parent)
        : QObject(parent),
          m_filter(std::move(filter))
    {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override { return m_filter(watched, event); }

private:
    std::function<bool(QObject*, QEvent*)> m_filter;
};
}

QList<NavEntry> defaultNavigation()
{
    using E = NavEntry;
    return {
        {"Label3", "桌面", E::Header, 640, 0, 0, Pages::desktop(), true, false},
        {"Label4", "日记本", E::Header, 692, 0, 0, Pages::rijiben(), false, false},
        {"Label5", "万年历", E::Header, 756, 0, 0, Pages::wannianli(), false, false},
        {"Label6", "打印\\导出", E::Header, 820, 0, 0, Pages::dayin(), false, false},
        {"Label9", "支 出", E::Main, 88, 40, 65, Pages::zhichu(), false, true},
        {"Label10", "收 入", E::Main, 88, 70, 65, Pages::shouru(), false, false},
        {"Label11", "账 户", E::Main, 88, 100, 65, Pages::zhanghu(), true, false},
        {"Label16", "帐 户 转 账", E::Sub, 60, 137, 85, Pages::zhuanzhang(), false, false},
        {"Label12", "收 入 类 别", E::Sub, 59, 173, 85, Pages::shouruleibie(), false, false},
        {"Label13", "支 出 类 别", E::Sub, 59, 200, 85, Pages::zhichuleibie(), false, false},
        {"Label15", "借 入 管 理", E::Sub, 60, 238, 85, Pages::jieru(), false, false},
        {"Label26", "借 出 管 理", E::Sub, 60, 262, 85, Pages::jiechu(), false, false},
        {"Label18", "流 水 报 表", E::Sub, 60, 300, 85, Pages::liushuibaobiao(), false, true},
        {"Label19", "分 类 报 表", E::Sub, 60, 325, 85, Pages::fenleibaobiao(), false, false},
        {"Label20", "人 员 报 表", E::Sub, 60, 349, 85, Pages::renyuanbaobiao(), false, false},
        {"Label22", "预 算 管 理", E::Sub, 60, 388, 85, Pages::yushuan(), false, false},
        {"Label24", "系 统 设 置", E::Sub, 60, 424, 85, Pages::system(), false, true},
        // Added after the others, so every earlier entry keeps its place in the creation order.
        {"Label29", "导入账单", E::Header, 562, 0, 0, Pages::daoru(), false, false},
        // Made after 撤销 (see buildHeader).
        {"Label31", "周期账单", E::Header, 430, 0, 0, Pages::zhouqi(), false, false},
        {"Label32", "趋势", E::Header, 386, 0, 0, Pages::qushi(), false, false},
    };
}

TForm1::TForm1(bool showLogin, QWidget* parent)
    : TForm1(MainWindowOptions{showLogin, false, defaultNavigation()}, parent)
{}

TForm1::TForm1(const MainWindowOptions& options, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Window),
      m_options(options)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(kAppTitle));
    setFixedSize(kWidth, kHeight);
    setFont(Theme::songti(12));
    buildTitleBar();
    buildHeader();
    buildNavigation();
    buildContentAndFooter();

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &TForm1::Timer1Timer);

    // Centred on the desktop.
    if (QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());

    // After the window is on screen, not inside the show event.
    onFirstShow(this, [this] { QTimer::singleShot(0, this, &TForm1::FormShow); });
    FormCreate();
}

TForm1::~TForm1()
{
    // The check's answer is posted to this window: it must be over first.
    if (m_fileCheck) {
        m_fileCheck->wait();
        delete m_fileCheck;
    }
}

void TForm1::buildTitleBar()
{
    picture(this, "Image1", QRect(0, 0, kWidth, kTitleH), Artwork::titleBar(kWidth, kTitleH))->installEventFilter(this);

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
}

void TForm1::buildHeader()
{
    picture(this, "Image2", QRect(0, kTitleH, kWidth, kHeaderH), Artwork::header(kWidth, kHeaderH));
    // Entries added later are made after the ones before them, so every
    // earlier entry keeps its place in the creation order.
    const auto later
        = [](const NavEntry& e) { return qstrcmp(e.name, "Label31") == 0 || qstrcmp(e.name, "Label32") == 0; };
    for (const NavEntry& e : std::as_const(m_options.navigation))
        if (e.kind == NavEntry::Header && !later(e))
            addEntry(e);
    addEntry({"Label28", "帮助", NavEntry::Header, 906, 0, 0, {}, false, false});
    connect(findChild<ClickLabel*>(QStringLiteral("Label28")), &ClickLabel::clicked, this, &TForm1::Label28Click);
    // Made after the others, so their creation order stays.
    ClickLabel* undo = addEntry({"Label30", "撤销", NavEntry::Header, 510, 0, 0, {}, false, false});
    undo->setToolTip(QStringLiteral("撤销上一步操作（Ctrl+Z）；重做（Ctrl+Y）"));
    connect(undo, &ClickLabel::clicked, this, &TForm1::Label30Click);
    for (const NavEntry& e : std::as_const(m_options.navigation))
        if (e.kind == NavEntry::Header && later(e))
            addEntry(e);
    // Ctrl+Z / Ctrl+Y reach the window from whichever control has the keys.
    auto* keys
        = new KeyFilter([this](QObject* watched,
                               QEvent* event) { return event->type() == QEvent::KeyPress && undoKey(watched, event); },
                        this);
    qApp->installEventFilter(keys);
}

void TForm1::buildNavigation()
{
    picture(this, "Image3", QRect(0, kBodyTop, kNavW, kBodyH), Artwork::navColumn(kNavW, kBodyH));
    for (const NavEntry& e : std::as_const(m_options.navigation))
        if (e.kind != NavEntry::Header)
            m_highlighted.append({addEntry(e), e.kind});
    // A link, never highlighted.
    ClickLabel* feedback = addEntry({"Label23", "建 议 反 馈", NavEntry::Sub, 60, 450, 85, {}, false, false});
    connect(feedback, &ClickLabel::clicked, this, &TForm1::Label23Click);
    for (int y : {149, 213, 275, 363, 403}) {
        auto* sep = new QLabel(QStringLiteral("_________________________"), this);
        sep->setGeometry(21, kBodyTop + y, 145, 14);
        sep->setFont(Theme::songti(12));
        setColour(sep, Theme::sand);
    }
}

void TForm1::buildContentAndFooter()
{
    picture(this, "Image4", QRect(kNavW, kBodyTop, kWidth - kNavW, kBodyH),
            Artwork::contentBackground(kWidth - kNavW, kBodyH));
    m_pnlShow = new QWidget(this);
    m_pnlShow->setObjectName(QStringLiteral("PnlShow"));
    m_pnlShow->setGeometry(kNavW, kBodyTop, 773, 486);
    m_pnlShow->setFixedSize(773, 486);

    picture(this, "Image5", QRect(0, kHeight - kFooterH, kWidth, kFooterH), Artwork::footer(kWidth, kFooterH));
    auto* footText = new ClickLabel(footerText(), this);
    footText->setObjectName(QStringLiteral("Label8"));
    footText->setGeometry(208, kHeight - kFooterH + 9, 420, 16);
    setColour(footText, Theme::walnut);
    connect(footText, &ClickLabel::clicked, this, &TForm1::Label8Click);
    m_footerText = footText;
    m_clock = new QLabel(this);
    m_clock->setObjectName(QStringLiteral("l_time"));
    m_clock->setGeometry(704, kHeight - kFooterH + 9, 250, 16);
    m_clock->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setColour(m_clock, Theme::walnut);
}

ClickLabel* TForm1::addEntry(const NavEntry& e)
{
    auto* l = new ClickLabel(QString::fromUtf8(e.caption), this);
    l->setObjectName(QString::fromLatin1(e.name));
    if (e.kind == NavEntry::Header) {
        l->setFont(Theme::songti(13));
        l->adjustSize();
        l->move(e.x, kTitleH + 48);
        setColour(l, Theme::bark);
    } else {
        const bool main = e.kind == NavEntry::Main;
        l->setGeometry(e.x, kBodyTop + e.y, e.width, main ? 25 : 16);
        l->setFont(Theme::songti(main ? 16 : 13, main));
        setColour(l, Qt::black);
    }
    if (e.factory) {
        const char* name = e.name;
        connect(l, &ClickLabel::clicked, this, [this, name] { navigate(name); });
    }
    return l;
}

void TForm1::FormCreate()
{
    // The program depends on dates reading as YYYY-MM-DD.
    if (!dateFromText(QStringLiteral("2012-01-01")).isValid()) {
        Msg::notice(this, QStringLiteral("系统补丁已打，请重新登陆，多次弹出请联系客服 QQ%1！")
                              .arg(QString::fromLatin1(kSupportNumber)));
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return;
    }
    LoadSkin();
    // Without an open file the login says what is wrong; a failed
    // recomputation shown before it would only hide that.
    if (Database::shared().isOpen())
        RecalcAccountTotals();
    m_timer->start();
}

void TForm1::FormShow()
{
    if (m_options.showLogin) {
        Tf_login login(this, m_options.exitAtLogin);
        login.exec();
        if (LoginCancelled) {
            close();
            // A start that could not read its file has failed, also for
            // whatever started the program.
            QCoreApplication::exit(login.startFailed() ? kExitStartFailed : 0);
            return;
        }
    }
    m_sessionStarted = true;
    OpenStartPage(StartPageCode);
    // The journal's triggers once the start page is up, so the first save
    // need not make them; a failure is the first action's to report.
    if (m_options.showLogin)
        QTimer::singleShot(0, this, [] { (void)ensureJournal(Database::shared()); });
    reportAutoBackupFailure();
    // Recurring entries due: posted or asked about, then the start page
    // shows what they wrote.
    if (m_options.showLogin && Tf_daichuli::afterLogin(this) && m_currentFactory && currentPage())
        createPage(m_currentFactory);
    if (m_options.showLogin)
        startFileCheck();
}

void TForm1::startFileCheck()
{
    Database& db = Database::shared();
    if (!db.isOpen() || m_fileCheck)
        return;
    const QString path = db.filePath();
    const int wait = db.busyTimeoutMs();
    m_fileCheck = QThread::create([this, path, wait] {
        QString findings;
        // Busy is no verdict: another program holds the file for a while.
        const QuickCheck verdict = quickCheckFile(path, wait, &findings);
        if (verdict == QuickCheck::Sound) {
            // Sums that do not count every record are not trusted: built anew.
            Database file;
            bool covered = true;
            if (file.openReadOnly(path, QByteArray(kDatabasePassword), wait) && sumsCoverRecords(file, &covered)
                && !covered)
                QMetaObject::invokeMethod(
                    this, [this] { sumsStale(); }, Qt::QueuedConnection);
            return;
        }
        if (verdict != QuickCheck::Damaged)
            return;
        const QString backup = newestSoundAutoBackup(path);
        QMetaObject::invokeMethod(
            this, [this, findings, backup] { damageFound(findings, backup); }, Qt::QueuedConnection);
    });
    m_fileCheck->start();
}

void TForm1::sumsStale()
{
    const QString path = Database::shared().filePath();
    DbError error;
    const bool built = LongWork::inThread(this, QStringLiteral("正在重新计算合计…"), [&] {
        Database own;
        if (!own.open(path, QByteArray(kDatabasePassword)))
            error = own.lastError();
        return own.isOpen() && rebuildSums(own, &error);
    });
    // The page shown keeps what it read (a user may be editing it); the
    // totals and every page opened from now read the sums anew.
    if (!built)
        Msg::dbError(this, error);
    else
        (void)RecalcAccountTotals();  // a failure has been told by its box
}

void TForm1::damageFound(const QString& findings, const QString& backup)
{
    if (backup.isEmpty()) {
        Msg::warning(this, QStringLiteral("数据文件可能已损坏，没有找到可用的自动备份，请尽快检查数据。"), findings);
        return;
    }
    const QString when = QFileInfo(backup).lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!Msg::warningConfirm(this, QStringLiteral("数据文件可能已损坏，是否从最新的备份恢复？"),
                             QStringLiteral("最新的备份：%1（%2）").arg(QDir::toNativeSeparators(backup), when)))
        return;
    // No page may hold a statement while the file is replaced.
    ClosePage();
    if (restoreWithQuestion(this, backup, false)) {
        close();
        return;
    }
    OpenStartPage(StartPageCode);
}

void TForm1::reportAutoBackupFailure()
{
    Database& db = Database::shared();
    if (!db.isOpen())
        return;
    QDateTime when;
    QString message;
    DbError error;
    if (!takeAutoBackupFailure(db, &when, &message, &error)) {
        Msg::dbError(this, error);
        return;
    }
    // The note beside the file tells of a failure the database could not
    // take; once told it goes (a good backup removes it as well).
    QDateTime noteWhen;
    QString noteMessage;
    if (readBackupFailureNote(db.filePath(), &noteWhen, &noteMessage)) {
        clearBackupFailureNote(db.filePath());
        if (message.isEmpty()) {
            when = noteWhen;
            message = noteMessage;
        }
    }
    if (!message.isEmpty())
        Msg::generalError(this,
                          QStringLiteral("上次退出时的自动备份（%1）没有完成，请在“系 统 设 置”中手动备份数据库。")
                              .arg(when.isValid() ? when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                                  : QStringLiteral("时间不详")),
                          message);
}

void TForm1::OpenStartPage(const QString& code)
{
    bool ok = false;
    const int n = code.trimmed().toInt(&ok);
    if (!ok) {
        Msg::generalError(this, QStringLiteral("启动页设置\"%1\"不是有效的数字。").arg(code));
        return;
    }
    const char* entryName = n == 2 ? "Label10" : n == 3 ? "Label9" : n == 4 ? "Label5" : n == 5 ? "Label4" : "Label3";
    if (const NavEntry* e = entry(entryName))
        OpenPage(e->factory);
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
    m_currentFactory = factory;
    // A page may hand its place to another (系统设置 -> 回收站).
    if (auto* p = qobject_cast<Page*>(page))
        connect(p, &Page::openPageRequested, this, [this](const std::function<QWidget*()>& next) {
            QTimer::singleShot(0, this, [this, next] {
                if (mayLeavePage())
                    OpenPage(next);
            });
        });
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

bool TForm1::mayLeavePage()
{
    auto* page = qobject_cast<Page*>(currentPage());
    if (!page || !page->hasUnsavedEdits())
        return true;
    if (Msg::confirm(page, QStringLiteral("是否确定保存数据？")))
        return page->saveEdits();
    page->dropEdits();
    return true;
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (mayLeavePage())
        event->accept();
    else
        event->ignore();
}

QWidget* TForm1::currentPage() const
{
    const auto pages = m_pnlShow->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    return pages.isEmpty() ? nullptr : pages.last();
}

void TForm1::ResetNavHighlight()
{
    for (const auto& [l, kind] : std::as_const(m_highlighted)) {
        if (kind == NavEntry::Main) {
            setColour(l, Qt::black);
        } else {
            QFont f = l->font();
            f.setBold(false);
            l->setFont(f);
        }
    }
    m_footerText->setText(footerText());
}

void TForm1::LoadSkin() { ::LoadSkin(this); }

bool TForm1::RecalcAccountTotals()
{
    DbError error;
    if (!::RecalcAccountTotals(Database::shared(), &error)) {
        Msg::dbError(this, error);
        return false;
    }
    return true;
}

void TForm1::Timer1Timer()
{
    static const char* const kWeekdays[]
        = {"星期天 ", "星期一 ", "星期二 ", "星期三 ", "星期四 ", "星期五 ", "星期六 "};
    const QDateTime now = Clock::now();
    m_clock->setText(now.toString(QStringLiteral("yyyy年MM月dd日  hh:mm:ss")) + QStringLiteral("  ")
                     + QString::fromUtf8(kWeekdays[now.date().dayOfWeek() % 7]));
    endIfFileReplaced();
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

const NavEntry* TForm1::entry(const char* name) const
{
    for (const NavEntry& e : m_options.navigation)
        if (qstrcmp(e.name, name) == 0)
            return &e;
    return nullptr;
}

bool TForm1::endIfFileReplaced()
{
    if (!m_sessionStarted || m_fileReplaced || !Database::shared().replacedOnDisk())
        return m_fileReplaced;
    m_fileReplaced = true;
    m_timer->stop();
    // What the pages show is the old file's: no page may stay.
    ClosePage();
    Msg::error(this, QString::fromUtf8(kFileReplacedMessage));
    close();
    return true;
}

void TForm1::navigate(const char* name)
{
    if (endIfFileReplaced())
        return;
    const NavEntry* e = entry(name);
    if (!e || !e->factory)
        return;  // module not in this build: the entry does nothing
    if (!mayLeavePage())
        return;
    if (e->recalcFirst && !RecalcAccountTotals())
        return;
    if (e->kind == NavEntry::Header) {
        // Header pages reset the highlight, also when the page fails.
        OpenPage(e->factory);
        ResetNavHighlight();
        return;
    }
    if (e->silent)
        createPage(e->factory);
    else if (!OpenPage(e->factory))
        return;  // the old highlight stays
    ResetNavHighlight();
    auto* l = findChild<ClickLabel*>(QString::fromLatin1(name));
    if (e->kind == NavEntry::Main) {
        setColour(l, QColor(255, 0, 0));
    } else {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
}

void TForm1::Label3Click() { navigate("Label3"); }
void TForm1::Label4Click() { navigate("Label4"); }
void TForm1::Label5Click() { navigate("Label5"); }
void TForm1::Label6Click() { navigate("Label6"); }
void TForm1::Label9Click() { navigate("Label9"); }
void TForm1::Label10Click() { navigate("Label10"); }
void TForm1::Label11Click() { navigate("Label11"); }
void TForm1::Label16Click() { navigate("Label16"); }
void TForm1::Label12Click() { navigate("Label12"); }
void TForm1::Label13Click() { navigate("Label13"); }
void TForm1::Label15Click() { navigate("Label15"); }
void TForm1::Label26Click() { navigate("Label26"); }
void TForm1::Label18Click() { navigate("Label18"); }
void TForm1::Label19Click() { navigate("Label19"); }
void TForm1::Label20Click() { navigate("Label20"); }
void TForm1::Label22Click() { navigate("Label22"); }
void TForm1::Label24Click() { navigate("Label24"); }

void TForm1::Label1Click() { close(); }
void TForm1::Label2Click() { showMinimized(); }
void TForm1::Label28Click() { openUrl(QString::fromLatin1(kHelpDocument)); }
void TForm1::Label23Click() { openUrl(QString::fromLatin1(kMakerSite) + QStringLiteral("/help.htm")); }
void TForm1::Label8Click() { openUrl(QString::fromLatin1(kMakerSite) + QStringLiteral("/?id=2012_1")); }

void TForm1::openUrl(const QString& url) { QDesktopServices::openUrl(QUrl(url)); }

void TForm1::Label30Click() { undoOrRedo(true); }
void TForm1::undoLatest() { undoOrRedo(true); }
void TForm1::redoLatest() { undoOrRedo(false); }

bool TForm1::undoKey(QObject* watched, QEvent* event)
{
    auto* ke = static_cast<QKeyEvent*>(event);
    const bool undo = ke->matches(QKeySequence::Undo);
    const bool redo = !undo && ke->modifiers() == Qt::ControlModifier && ke->key() == Qt::Key_Y;
    auto* w = qobject_cast<QWidget*>(watched);
    if ((!undo && !redo) || !w || w->window() != this)
        return false;
    // Typing is undone first: a field with its own history keeps the key
    // (keys go to the control that has the focus).
    QWidget* focus = w;
    auto* line = qobject_cast<QLineEdit*>(focus);
    if (!line && qobject_cast<QAbstractSpinBox*>(focus))
        line = focus->findChild<QLineEdit*>();
    if (line && !line->isReadOnly() && (undo ? line->isUndoAvailable() : line->isRedoAvailable()))
        return false;
    if (auto* text = qobject_cast<QPlainTextEdit*>(focus);
        text && !text->isReadOnly()
        && (undo ? text->document()->isUndoAvailable() : text->document()->isRedoAvailable()))
        return false;
    if (auto* text = qobject_cast<QTextEdit*>(focus);
        text && !text->isReadOnly()
        && (undo ? text->document()->isUndoAvailable() : text->document()->isRedoAvailable()))
        return false;
    // Posted: the key's own handling is over before a question opens.
    QTimer::singleShot(0, this, [this, undo] { undoOrRedo(undo); });
    return true;
}

void TForm1::undoOrRedo(bool undo)
{
    if (endIfFileReplaced() || !mayLeavePage())
        return;
    if (auto* page = qobject_cast<Page*>(currentPage()); page && !page->writeTyping())
        return;
    Database& db = Database::shared();
    DbError error;
    const QString label = undo ? latestUndoable(db, &error) : latestRedoable(db, &error);
    if (error.isError())
        return Msg::dbError(this, error);
    if (label.isEmpty())
        return Msg::info(this, undo ? QStringLiteral("没有可撤销的操作") : QStringLiteral("没有可重做的操作"));
    if (!Msg::confirm(this, (undo ? QStringLiteral("是否撤销：%1？") : QStringLiteral("是否重做：%1？")).arg(label)))
        return;
    QString done;
    bool ok;
    {
        WaitCursor wait;
        ok = undo ? ::undoLatest(db, &error, &done) : ::redoLatest(db, &error, &done);
    }
    if (!ok) {
        // A refusal names what stands in the way; a file fault is the database's.
        if (error.kind() == DbError::Kind::Vanished)
            return Msg::error(this, error.message());
        return Msg::dbError(this, error);
    }
    // The page shown reads what is stored now.
    if (m_currentFactory && currentPage())
        createPage(m_currentFactory);
    Msg::info(this, (undo ? QStringLiteral("已撤销：%1") : QStringLiteral("已重做：%1")).arg(done));
}
