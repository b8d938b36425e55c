#include "settings/Tf_system.h"

#include "settings/FullExport.h"

#include "data/Backup.h"
#include "data/Clock.h"
#include "data/Database.h"
#include "data/Household.h"
#include "data/Journal.h"
#include "data/Tx_Data.h"
#include "settings/Tf_huishouzhan.h"
#include "settings/VersionCheck.h"
#include "ui/BatchEditor.h"
#include "ui/BatchModel.h"
#include "ui/DataGrid.h"
#include "ui/LongWork.h"
#include "ui/Msg.h"
#include "ui/NumberField.h"
#include "ui/RestoreStep.h"
#include "ui/Roles.h"
#include "ui/Theme.h"
#include "ui/WaitCursor.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

namespace {
const char* const kMembersSql = "select id,sys_name as 用户名 ,sys_pwd as 密码 from s_user order by id";

// Start page options, top to bottom, with their codes "1" .. "5".
const char* const kStartPages[] = {"桌面", "收入", "支出", "万年历", "日记本"};

constexpr int kBottomTop = Page::kHeight - 130;
constexpr int kBottomButtonTop = kBottomTop + 44;

// The household's file: the one the connection opened.
QString databasePath() { return Database::shared().filePath(); }

}

Tf_system::Tf_system(QWidget* parent) : Page("f_system", parent)
{
    m_quit = [this] {
        if (QWidget* w = window())
            w->close();
    };
    buildMembers();
    buildConfiguration();
    buildBottomRow();
    buildClearBox();
    buildBin();
    buildExport();
    FormCreate();
}

void Tf_system::buildMembers()
{
    QGroupBox* box = groupBox(this, QStringLiteral("系统用户管理"), "GroupBox1", QRect(8, 6, 540, 340));
    m_members = new BatchModel(this);
    m_grid = grid(box, "DBGridEh16", QRect(10, 24, 520, 270), m_members);
    m_grid->setRowHeight(25);
    m_grid->setFitColumns(true);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    // Passwords are typed as plain letters and digits.
    m_grid->setInputMethodClosed(ColPassword);
    connect(button(box, "Button46", QStringLiteral("增加"), QRect(10, 302, 70, 28)), &QPushButton::clicked, this,
            &Tf_system::Button46Click);
    connect(button(box, "Button47", QStringLiteral("删除"), QRect(86, 302, 70, 28)), &QPushButton::clicked, this,
            &Tf_system::Button47Click);
    connect(button(box, "Button48", QStringLiteral("保存"), QRect(162, 302, 70, 28)), &QPushButton::clicked, this,
            &Tf_system::Button48Click);
    buildMemberEditor();
}

void Tf_system::buildConfiguration()
{
    QGroupBox* box = groupBox(this, QStringLiteral("系统配置"), "GroupBox2", QRect(kWidth - 8 - 209, 6, 209, 340));
    label(box, QStringLiteral("设置软件主初始化界面"), QRect(14, 28, 180, 20));
    m_startPage = new QButtonGroup(this);
    for (int i = 0; i < 5; ++i) {
        auto* r = new QRadioButton(QString::fromUtf8(kStartPages[i]), box);
        r->setObjectName(QStringLiteral("r_%1").arg(i + 1));
        // As wide as its mark and caption: a click beside them is no choice.
        r->move(34, 58 + 32 * i);
        r->adjustSize();
        m_startPage->addButton(r, i + 1);
    }
    connect(button(box, "Button1", QStringLiteral("保存设置"), QRect(34, 230, 110, 30)), &QPushButton::clicked, this,
            &Tf_system::Button1Click);
}

void Tf_system::buildBottomRow()
{
    groupBox(this, QStringLiteral("数据维护"), "GroupBox4", QRect(8, kBottomTop + 6, kWidth - 16, 116));
    const struct {
        const char* name;
        const char* caption;
        int x, width;
        void (Tf_system::*slot)();
    } buttons[] = {
        {"Button53", "数据库备份", 24, 121, &Tf_system::Button53Click},
        {"Button55", "数据库还原", 173, 113, &Tf_system::Button55Click},
        {"Button2", "清空所有数据", 308, 129, &Tf_system::Button2Click},
        {"Button51", "在线升级", 458, 129, &Tf_system::Button51Click},
    };
    for (const auto& b : buttons)
        connect(button(this, b.name, QString::fromUtf8(b.caption), QRect(b.x, kBottomButtonTop, b.width, 41)),
                &QPushButton::clicked, this, b.slot);

    m_autoBackup = new QCheckBox(QStringLiteral("退出时自动备份"), this);
    m_autoBackup->setObjectName(QStringLiteral("CheckBox1"));
    m_autoBackup->setGeometry(610, kBottomButtonTop, 150, 20);
    m_autoBackup->setToolTip(QStringLiteral("正常退出软件时，把数据库备份到数据文件旁的 backups 文件夹，保留最近%1份")
                                 .arg(kAutoBackupsKept));
    QLabel* note = label(this, QStringLiteral("（保留最近%1份）").arg(kAutoBackupsKept),
                         QRect(628, kBottomButtonTop + 22, 130, 18));
    note->setStyleSheet(QStringLiteral("color: %1;").arg(Theme::css(Theme::walnut)));
    connect(m_autoBackup, &QCheckBox::toggled, this, &Tf_system::autoBackupToggled);
    QPushButton* copies
        = button(this, "Button5", QStringLiteral("删除前的备份…"), QRect(610, kBottomButtonTop + 44, 130, 26));
    copies->setToolTip(QStringLiteral("清空所有数据和删除用户之前自动写下的备份：查看或删除"));
    connect(copies, &QPushButton::clicked, this, &Tf_system::Button5Click);
}

// Made last, so every other control keeps its place in the creation order.
void Tf_system::buildExport()
{
    QPushButton* all
        = button(this, "Button71", QStringLiteral("导出全部数据"), QRect(24, kBottomButtonTop + 44, 121, 26));
    all->setToolTip(QStringLiteral(
        "把收支记录、类别、账户、转账、借入借出、预算、成员、周期账单和日记导出为一个 Excel 工作簿，每种一页"));
    connect(all, &QPushButton::clicked, this, &Tf_system::Button71Click);
}

void Tf_system::Button71Click() { FullExport::run(this); }

// Made after every other control of the page, so their order stays.
void Tf_system::buildBin()
{
    auto* box = findChild<QGroupBox*>(QStringLiteral("GroupBox2"));
    label(box, QStringLiteral("回收站保留天数"), QRect(14, 274, 100, 22));
    m_keepDays = new NumberField(7, 365, box);
    m_keepDays->setObjectName(QStringLiteral("SpinEdit5"));
    m_keepDays->setGeometry(114, 272, 58, 24);
    label(box, QStringLiteral("天"), QRect(176, 272, 16, 24));
    m_keepDays->setToolTip(QStringLiteral("回收站和撤销记录保留的天数（7～365）。更早的项目在启动时彻底删除，"
                                          "其内容在数据文件中被覆盖，无法再恢复。"));
    connect(m_keepDays, &QSpinBox::valueChanged, this, &Tf_system::keepDaysChanged);
    QPushButton* bin = button(box, "Button70", QStringLiteral("回收站"), QRect(34, 302, 110, 28));
    bin->setToolTip(QStringLiteral("查看、还原或彻底删除已删除的记录"));
    connect(bin, &QPushButton::clicked, this, &Tf_system::Button70Click);
}

void Tf_system::keepDaysChanged(int days)
{
    DbError error;
    if (!setJournalKeepDays(Database::shared(), days, &error))
        Msg::dbError(this, error);
}

void Tf_system::Button70Click()
{
    emit openPageRequested([] { return new Tf_huishouzhan; });
}

void Tf_system::buildClearBox()
{
    m_clearBox = groupBox(this, QStringLiteral("一键清空所有记账信息"), "GroupBox3", QRect(176, 128, 401, 201));
    m_clearBox->setStyleSheet(Theme::popupStyle(m_clearBox->objectName()));
    QLabel* warning
        = label(m_clearBox, QStringLiteral("清空后数据将无法恢复，所有记账信息将清空。"), QRect(20, 52, 361, 40));
    warning->setObjectName(QStringLiteral("Label1"));
    warning->setAlignment(Qt::AlignCenter);
    warning->setWordWrap(true);
    warning->setFont(Theme::songti(14, true));
    warning->setStyleSheet(QStringLiteral("color: #ff0000;"));
    connect(button(m_clearBox, "Button3", QStringLiteral("确认清空"), QRect(70, 126, 110, 32)), &QPushButton::clicked,
            this, &Tf_system::Button3Click);
    connect(button(m_clearBox, "Button4", QStringLiteral("取消"), QRect(221, 126, 110, 32)), &QPushButton::clicked,
            this, &Tf_system::Button4Click);
    m_clearBox->hide();
}

void Tf_system::FormCreate()
{
    openMembers();
    showStartPage();
    bool enabled = true;
    DbError error;
    if (!autoBackupEnabled(Database::shared(), &enabled, &error))
        Msg::dbError(this, error);
    const QSignalBlocker quiet(m_autoBackup);
    m_autoBackup->setChecked(enabled);
    int days = 90;
    if (!journalKeepDays(Database::shared(), &days, &error))
        Msg::dbError(this, error);
    const QSignalBlocker quietDays(m_keepDays);
    m_keepDays->setValue(days);
}

void Tf_system::FormShow() { showStartPage(); }

void Tf_system::showStartPage()
{
    // StartPageCode is what the program read at its start: a choice saved
    // since shows from the next start on.
    const int code = StartPageCode.trimmed().toInt();
    m_startPage->button(code >= 2 && code <= 5 ? code : 1)->setChecked(true);
}

bool Tf_system::openMembers()
{
    DbError error;
    const bool ok = m_members->setQuery(QString::fromUtf8(kMembersSql), {}, QStringLiteral("s_user"),
                                        QStringLiteral("id"), &error);
    m_grid->setColumnHidden(ColId, true);
    m_members->setMaxLength(ColName, 50);
    if (!ok) {
        Msg::dbError(this, error);
        return false;
    }
    if (m_members->rowCount() > 0)
        m_grid->setCurrentCell(m_members->index(0, ColName));
    return true;
}

void Tf_system::buildMemberEditor()
{
    BatchEditor::Setup s;
    s.keyColumn = ColId;
    s.addColumn = ColName;
    // A refused row has its fixed message; a file that cannot be written
    // says why.
    s.refusedBox = BatchEditor::Box::Error;
    s.refused = QStringLiteral("对不起，操作异常");
    s.reread = [this] { return openMembers(); };
    s.mayDelete = [this](int row) {
        if (row < 0 || m_members->raw(row, ColId).toLongLong() != 1)
            return true;
        Msg::error(this, QStringLiteral("系统默认用户不能删除！"));
        return false;
    };
    // The question names the member and what goes with it.
    s.subject = QStringLiteral("用户");
    s.deleteLabel = [this](int row) {
        Query records(QStringLiteral("select count(*) from s_shouru where s_userid=:id"));
        records.bind(":id", m_members->raw(row, ColId).toLongLong());
        m_memberRecords = records.scalar(&m_memberRecordCount) == Query::Fetch::Failed ? records.error() : DbError();
        return QStringLiteral("删除用户“%1”及其 %2 笔记录")
            .arg(m_members->raw(row, ColName).toString())
            .arg(m_memberRecordCount.toLongLong());
    };
    s.askDelete = [this](int row) {
        if (m_memberRecords.isError()) {
            Msg::dbError(this, m_memberRecords);
            return false;
        }
        const QVariant n = m_memberRecordCount;
        m_memberCopy = safetyBackupName(databasePath(), Clock::now(), QStringLiteral("删除用户前"));
        const QString question = QStringLiteral("是否确定删除用户\"%1\"及其%2笔收支记录？")
                                     .arg(m_members->raw(row, ColName).toString())
                                     .arg(n.toLongLong());
        // The copy is written before the delete's action opens.
        return Msg::confirm(this, question, safetyBackupNotice(m_memberCopy)) && writeCopyBefore(m_memberCopy);
    };
    s.removeSaved = [this](const QVariant& key) {
        DbError error;
        if (deleteMember(Database::shared(), key.toLongLong(), &error))
            return true;
        Msg::dbError(this, error);
        return false;
    };
    m_memberEditor = new BatchEditor(this, m_grid, m_members, std::move(s));
}

void Tf_system::Button46Click() { m_memberEditor->add(); }
void Tf_system::Button47Click() { m_memberEditor->remove(); }
void Tf_system::Button48Click() { m_memberEditor->saveClicked(); }

void Tf_system::Button1Click()
{
    const int code = m_startPage->checkedId() > 0 ? m_startPage->checkedId() : 1;
    Query q(QStringLiteral("update sys_sys set skinx=:code"));
    q.bind(":code", QString::number(code));
    if (!q.exec()) {
        Msg::dbError(this, q.error());
        return;
    }
    Msg::notice(this, QStringLiteral("设置成功，重新打开软件！"));
}

void Tf_system::autoBackupToggled(bool on)
{
    DbError error;
    if (setAutoBackupEnabled(Database::shared(), on, &error))
        return;
    Msg::dbError(this, error);
    const QSignalBlocker quiet(m_autoBackup);
    m_autoBackup->setChecked(!on);
}

QString Tf_system::chooseFile(bool save, const QString& title, const QString& folder)
{
    QFileDialog dialog(this, title, folder, QStringLiteral("数据库备份文件 (*.bak)"));
    dialog.setObjectName(QString::fromLatin1(save ? "SaveDialog1" : "OpenDialog1"));
    // The program's own dialog, the same everywhere and answerable by tests.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The file written may not be the one named (".bak" is added): the
        // page asks about the file it writes.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    const QString data = QFileInfo(databasePath()).absolutePath();
    QList<QUrl> places{QUrl::fromLocalFile(data)};
    if (QFileInfo(autoBackupFolder(databasePath())).isDir())
        places.prepend(QUrl::fromLocalFile(autoBackupFolder(databasePath())));
    dialog.setSidebarUrls(places);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void Tf_system::Button53Click()
{
    const QString chosen = chooseFile(true, QStringLiteral("数据库备份"), QFileInfo(databasePath()).absolutePath());
    if (chosen.isEmpty())
        return;
    const QString target = backupTargetName(chosen);
    if (QFileInfo::exists(target)
        && !Msg::confirm(this, QStringLiteral("文件“%1”已存在，是否替换？").arg(QFileInfo(target).fileName())))
        return;
    DbError error;
    bool ok;
    {
        WaitCursor wait;
        ok = writeVerifiedBackup(Database::shared(), target, &error,
                                 LongWork::besideWindow(this, QStringLiteral("正在检查备份…")));
    }
    if (!ok) {
        Msg::generalError(this, QStringLiteral("数据库备份失败，没有写入备份文件。"), error);
        return;
    }
    Msg::notice(this, QStringLiteral("数据库备份成功!"));
}

void Tf_system::Button55Click()
{
    // The automatic backups come first; without them, the data folder.
    const QString backups = autoBackupFolder(databasePath());
    const QString folder = QFileInfo(backups).isDir() ? backups : QFileInfo(databasePath()).absolutePath();
    const QString chosen = chooseFile(false, QStringLiteral("数据库还原"), folder);
    if (chosen.isEmpty())
        return;
    if (restoreWithQuestion(this, chosen, true))
        m_quit();
}

void Tf_system::Button2Click()
{
    m_clearCopy = safetyBackupName(databasePath(), Clock::now(), QStringLiteral("清空前"));
    if (!Msg::confirm(this, QStringLiteral("你是否确定删除所有记账信息，删除后将无法恢复？"),
                      safetyBackupNotice(m_clearCopy)))
        return;
    m_clearBox->show();
    m_clearBox->raise();
}

bool Tf_system::writeCopyBefore(const QString& target)
{
    DbError error;
    bool ok;
    {
        WaitCursor wait;
        ok = writeSafetyBackup(Database::shared(), target, &error,
                               LongWork::besideWindow(this, QStringLiteral("正在写入并检查删除前的备份…")));
    }
    if (!ok)
        Msg::generalError(this, QStringLiteral("删除前的备份没有完成，没有删除任何数据。"), error);
    return ok;
}

void Tf_system::Button3Click()
{
    if (m_clearCopy.isEmpty())
        m_clearCopy = safetyBackupName(databasePath(), Clock::now(), QStringLiteral("清空前"));
    if (!writeCopyBefore(m_clearCopy))
        return;
    // Clearing twenty years takes seconds (every freed page is overwritten),
    // so it runs on a connection of its own while the window shows progress.
    DbError error;
    const QString path = databasePath();
    const bool cleared = LongWork::inThread(this, QStringLiteral("正在清空所有数据…"), [&] {
        Database own;
        if (!own.open(path, QByteArray(kDatabasePassword))) {
            error = own.lastError();
            return false;
        }
        return clearAllRecords(own, &error);
    });
    if (!cleared) {
        Msg::dbError(this, error);
        return;
    }
    m_clearBox->hide();
    Msg::notice(this, QStringLiteral("操作成功，请重新打开软件！"));
    m_quit();
}

void Tf_system::Button4Click() { m_clearBox->hide(); }

void Tf_system::Button5Click()
{
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("f_beifen"));
    dialog.setWindowTitle(QStringLiteral("删除前的备份"));
    dialog.resize(520, 300);
    auto* layout = new QVBoxLayout(&dialog);
    auto* hint = new QLabel(QStringLiteral("清空所有数据或删除用户之前写下的备份（可用“数据库还原”恢复）："), &dialog);
    hint->setTextFormat(Qt::PlainText);
    layout->addWidget(hint);
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("ListBox1"));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(list);
    auto* row = new QHBoxLayout;
    auto* remove = new QPushButton(QStringLiteral("删除"), &dialog);
    remove->setObjectName(QStringLiteral("Button1"));
    auto* close = new QPushButton(QStringLiteral("关闭"), &dialog);
    close->setObjectName(QStringLiteral("Button2"));
    row->addStretch();
    row->addWidget(remove);
    row->addWidget(close);
    layout->addLayout(row);

    auto fill = [&] {
        list->clear();
        for (const QString& path : safetyBackupFiles(databasePath())) {
            const QFileInfo info(path);
            auto* item = new QListWidgetItem(
                QStringLiteral("%1    %2    %3 KB")
                    .arg(info.fileName(), info.lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm")))
                    .arg((info.size() + 1023) / 1024),
                list);
            item->setData(Roles::Value, path);
        }
        if (list->count() == 0)
            list->addItem(QStringLiteral("（没有删除前的备份）"));
        remove->setEnabled(list->count() > 0 && list->item(0)->data(Roles::Value).isValid());
        if (remove->isEnabled())
            list->setCurrentRow(0);
    };
    connect(remove, &QPushButton::clicked, &dialog, [&] {
        QStringList chosen;
        for (QListWidgetItem* item : list->selectedItems())
            if (item->data(Roles::Value).isValid())
                chosen << item->data(Roles::Value).toString();
        if (chosen.isEmpty()
            || !Msg::confirm(&dialog,
                             QStringLiteral("是否确定删除所选的%1个备份？删除后无法恢复。").arg(chosen.size())))
            return;
        QStringList failed;
        for (const QString& path : std::as_const(chosen))
            if (!QFile::remove(path))
                failed << QDir::toNativeSeparators(path);
        fill();
        if (!failed.isEmpty())
            Msg::generalError(&dialog, QStringLiteral("以下备份没有删除："), failed.join(u'\n'));
    });
    connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);
    fill();
    dialog.exec();
}

QString Tf_system::versionUrl() const
{
    const QString over = qEnvironmentVariable("JIZHANG_VERSION_URL");
    return over.isEmpty() ? m_versionUrl : over;
}

void Tf_system::Button51Click()
{
    switch (checkVersion(this, QUrl(versionUrl()), kVersion, m_versionTimeoutMs)) {
    case VersionReply::Newer: startUpdater(); break;
    case VersionReply::Current: Msg::notice(this, QStringLiteral("当前版本已经是最新版，无需更新")); break;
    case VersionReply::Failed: Msg::error(this, QStringLiteral("无法连接到服务器")); break;
    case VersionReply::Cancelled: break;
    }
}

void Tf_system::startUpdater()
{
    const QString updater = QDir::current().absoluteFilePath(QStringLiteral("update.exe"));
    if (!QFileInfo(updater).isFile()) {
        Msg::error(this, QStringLiteral("有新版本可以升级，但找不到升级程序“%1”，请从官方网站下载新版本。")
                             .arg(QDir::toNativeSeparators(updater)));
        return;
    }
    if (!QProcess::startDetached(updater, {}, QDir::currentPath())) {
        Msg::error(this,
                   QStringLiteral("有新版本可以升级，但升级程序“%1”无法启动。").arg(QDir::toNativeSeparators(updater)));
        return;
    }
    m_quit();
}
