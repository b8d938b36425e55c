#include "import/Tf_daoru.h"

#include "data/Clock.h"
#include "data/Database.h"
#include "data/Import.h"
#include "data/Journal.h"
#include "data/Tx_Data.h"
#include "import/OfxReader.h"
#include "import/QifReader.h"
#include "ui/DataGrid.h"
#include "ui/LongWork.h"
#include "ui/LookupCombo.h"
#include "ui/Msg.h"
#include "ui/Roles.h"
#include "ui/SafetyCopy.h"
#include "ui/WaitCursor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardItemModel>

#include <memory>

namespace {
// The mapping lists as they stand on the page: two rows of five places.
struct MappingList {
    const char* caption;
    const char* name;
    int CsvMapping::*column;
};
const MappingList kMappingLists[] = {
    {"日期", "ComboBox1", &CsvMapping::date},         {"金额", "ComboBox2", &CsvMapping::amount},
    {"收入", "ComboBox3", &CsvMapping::income},       {"支出", "ComboBox4", &CsvMapping::expense},
    {"收支", "ComboBox5", &CsvMapping::direction},    {"摘要", "ComboBox6", &CsvMapping::memo},
    {"对方", "ComboBox7", &CsvMapping::counterparty}, {"备注", "ComboBox10", &CsvMapping::remark},
    {"状态", "ComboBox9", &CsvMapping::status},
};
const QString kNone = QStringLiteral("（无）");
const QString kNothingReadable = QStringLiteral("文件中没有可读取的账单记录");
const QString kTooBig = QStringLiteral("账单文件太大（超过50MB），请按月份分别导出");
constexpr qint64 kMaxFileBytes = qint64(50) * 1024 * 1024;
constexpr qint64 kReadChunk = qint64(4) * 1024 * 1024;
constexpr int kRowHeight = 26;
constexpr int kRowStep = 30;

bool anyReadable(const QList<StatementLine>& lines)
{
    return std::any_of(lines.cbegin(), lines.cend(), [](const StatementLine& l) { return l.error.isEmpty(); });
}

QString skippedText(int lines)
{
    return lines > 0 ? QStringLiteral("已跳过文件开头的 %1 行说明").arg(lines) : QString();
}
}  // namespace

// 读取's progress: nothing for the first moments, then a window with a bar
// and 取消. Each step of the read fills its part of the bar (per mille).
class ReadProgressWindow {
public:
    ReadProgressWindow(QWidget* parent, int delayMs) : m_parent(parent), m_delayMs(delayMs) { m_clock.start(); }

    ReadProgress step(int from, int to)
    {
        return [this, from, to](qint64 done, qint64 total) {
            return report(from + int((to - from) * (total > 0 ? double(done) / double(total) : 1.0)));
        };
    }
    bool report(int permille)
    {
        if (m_cancelled)
            return false;
        if (!m_dialog) {
            if (m_clock.elapsed() < m_delayMs)
                return true;
            m_dialog = std::make_unique<QProgressDialog>(QStringLiteral("正在读取账单文件……"), QStringLiteral("取消"),
                                                         0, 1000, m_parent);
            m_dialog->setObjectName(QStringLiteral("ProgressDialog1"));
            m_dialog->setWindowTitle(QStringLiteral("读取账单"));
            m_dialog->setWindowModality(Qt::WindowModal);
            m_dialog->setMinimumDuration(0);
            m_dialog->setAutoClose(false);
            m_dialog->setAutoReset(false);
            m_dialog->show();
            // The cancel button stays within reach of the pointer.
            QApplication::changeOverrideCursor(Qt::BusyCursor);
        }
        m_dialog->setValue(permille);
        QCoreApplication::processEvents();
        m_cancelled = m_dialog->wasCanceled();
        return !m_cancelled;
    }
    bool cancelled() const { return m_cancelled; }

private:
    QWidget* m_parent;
    int m_delayMs;
    QElapsedTimer m_clock;
    std::unique_ptr<QProgressDialog> m_dialog;
    bool m_cancelled = false;
};

namespace {
// The file in chunks, so a long read can be followed and stopped; nothing
// when it could not be read, was cancelled or is over the limit.
enum class FileRead { Read, Failed, TooBig, Cancelled };
FileRead readFile(const QString& path, const ReadProgress& progress, QByteArray* bytes)
{
    QFile file(path);
    if (path.isEmpty() || !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return FileRead::Failed;
    const qint64 size = file.size();
    if (size > kMaxFileBytes)
        return FileRead::TooBig;
    bytes->clear();
    bytes->reserve(size);
    for (;;) {
        if (!progress(bytes->size(), size))
            return FileRead::Cancelled;
        const QByteArray chunk = file.read(kReadChunk);
        if (chunk.isEmpty())
            return file.error() == QFileDevice::NoError ? FileRead::Read : FileRead::Failed;
        bytes->append(chunk);
        // A file that grew since it was measured.
        if (bytes->size() > kMaxFileBytes)
            return FileRead::TooBig;
    }
}
}  // namespace

Tf_daoru::Tf_daoru(QWidget* parent) : Page("f_daoru", parent)
{
    buildFileRow();
    buildMappingRows();
    buildAccountRow();
    buildGrids();
    FormCreate();
}

void Tf_daoru::buildFileRow()
{
    label(this, QStringLiteral("账单文件"), QRect(6, 6, 56, kRowHeight));
    m_path = lineEdit(this, "Edit1", QRect(62, 6, 330, kRowHeight), 0, QStringLiteral("CSV、QIF 或 OFX 文件的路径"));
    connect(m_path, &QLineEdit::returnPressed, this, &Tf_daoru::Button2Click);
    connect(button(this, "Button1", QStringLiteral("浏览"), QRect(396, 6, 50, kRowHeight)), &QPushButton::clicked, this,
            &Tf_daoru::Button1Click);
    label(this, QStringLiteral("编码"), QRect(454, 6, 30, kRowHeight));
    m_encoding = new QComboBox(this);
    m_encoding->setObjectName(QStringLiteral("ComboBox8"));
    m_encoding->setGeometry(486, 6, 72, kRowHeight);
    m_encoding->addItems({QStringLiteral("自动"), QStringLiteral("UTF-8"), QStringLiteral("GBK")});
    connect(button(this, "Button2", QStringLiteral("读取"), QRect(564, 6, 56, kRowHeight)), &QPushButton::clicked, this,
            &Tf_daoru::Button2Click);
    m_positiveIsExpense = new QCheckBox(QStringLiteral("正数为支出"), this);
    m_positiveIsExpense->setObjectName(QStringLiteral("CheckBox1"));
    m_positiveIsExpense->setGeometry(630, 6, 120, kRowHeight);
    m_positiveIsExpense->setToolTip(QStringLiteral("信用卡账单：正数金额是支出"));
    connect(m_encoding, &QComboBox::currentIndexChanged, this, [this] {
        // Another encoding reads the file again: a CSV's titles may change.
        if (m_statement.kind != Kind::None && m_encoding->currentIndex() != m_readEncoding)
            readStatement(m_statement.file, true);
    });
    connect(m_positiveIsExpense, &QCheckBox::toggled, this, [this] {
        if (m_statement.kind == Kind::Csv)
            rebuildPreview();
    });
}

void Tf_daoru::buildMappingRows()
{
    // Two rows of five places; the last place tells the report lines skipped.
    constexpr int pitch = 146;
    for (int i = 0; i < kMappings; ++i) {
        const int x = 6 + (i % 5) * pitch, y = 6 + (1 + i / 5) * kRowStep;
        label(this, QString::fromUtf8(kMappingLists[i].caption), QRect(x, y, 28, kRowHeight));
        m_map[i] = new QComboBox(this);
        m_map[i]->setObjectName(QString::fromLatin1(kMappingLists[i].name));
        m_map[i]->setGeometry(x + 30, y, 108, kRowHeight);
        m_map[i]->addItem(kNone);
        connect(m_map[i], &QComboBox::currentIndexChanged, this, [this] {
            if (!m_filling && m_statement.kind == Kind::Csv)
                rebuildPreview();
        });
    }
    m_skipped
        = label(this, QString(), QRect(6 + 4 * pitch, 6 + 2 * kRowStep, kWidth - 9 - 4 * pitch, kRowHeight), "Label1");
}

void Tf_daoru::buildAccountRow()
{
    const int y = 6 + 3 * kRowStep;
    label(this, QStringLiteral("账户"), QRect(6, y, 30, kRowHeight));
    m_account = lookupCombo(this, "DBLookupComboboxEh1", QRect(38, y, 110, kRowHeight), QStringLiteral("导入到的账户"));
    label(this, QStringLiteral("付款人"), QRect(156, y, 42, kRowHeight));
    m_payer = lookupCombo(this, "DBLookupComboboxEh4", QRect(198, y, 84, kRowHeight),
                          QStringLiteral("导入的记录记在谁名下"));
    label(this, QStringLiteral("默认支出类别"), QRect(290, y, 80, kRowHeight));
    m_expense = lookupCombo(this, "DBLookupComboboxEh2", QRect(370, y, 104, kRowHeight));
    label(this, QStringLiteral("默认收入类别"), QRect(482, y, 80, kRowHeight));
    m_income = lookupCombo(this, "DBLookupComboboxEh3", QRect(562, y, 104, kRowHeight));
    connect(button(this, "Button3", QStringLiteral("导入"), QRect(kWidth - 62, y, 56, kRowHeight)),
            &QPushButton::clicked, this, &Tf_daoru::Button3Click);
    connect(m_account, &LookupCombo::keyChanged, this, [this] {
        if (!m_filling)
            rebuildPreview();
    });
    for (LookupCombo* c : {m_expense, m_income})
        connect(c, &LookupCombo::keyChanged, this, [this] {
            m_preview->applyDefaults(m_expense->keyValue().toLongLong(), m_income->keyValue().toLongLong());
        });
}

void Tf_daoru::buildGrids()
{
    const int top = 8 + 4 * kRowStep;
    m_preview = new PreviewModel(this);
    // The preview takes the width a wallet's status needs ("未成交：已全额退款").
    constexpr int previewWidth = 542, side = 3 + previewWidth + 4;
    m_previewGrid = grid(this, "DBGridEh1", QRect(3, top, previewWidth, kHeight - top - 3), m_preview);
    m_previewGrid->setColumnWidths({80, 60, 34, 60, 62, 70, 138, 34});
    m_previewGrid->setEditOnAnyPress(true);
    m_previewGrid->setEditButton(PreviewModel::ColCategory);
    connect(m_previewGrid, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) {
        if (i.column() == PreviewModel::ColImport)
            m_preview->toggleImport(i.row());
    });

    label(this, QStringLiteral("导入记录"), QRect(side + 2, top, 120, 20));
    m_imports = new QStandardItemModel(0, 3, this);
    m_imports->setHorizontalHeaderLabels({QStringLiteral("文件"), QStringLiteral("时间"), QStringLiteral("条数")});
    m_importGrid = grid(this, "DBGridEh2", QRect(side, top + 22, kWidth - 3 - side, kHeight - top - 58), m_imports);
    m_importGrid->setColumnWidths({62, 120, 34});
    connect(
        button(this, "Button4", QStringLiteral("撤销导入"), QRect(side, kHeight - 32, kWidth - 3 - side, kRowHeight)),
        &QPushButton::clicked, this, &Tf_daoru::Button4Click);
}

void Tf_daoru::FormCreate()
{
    m_filling = true;
    DbError error;
    const bool ok = m_account->load(QStringLiteral("select id, z_name from z_zhanghu order by id"),
                                    QStringLiteral("id"), QStringLiteral("z_name"), {}, &error)
                    && m_expense->load(QStringLiteral("select id, f_name from v_fenlei where f_class='Z' order by id"),
                                       QStringLiteral("id"), QStringLiteral("f_name"), {}, &error)
                    && m_income->load(QStringLiteral("select id, f_name from v_fenlei where f_class='S' order by id"),
                                      QStringLiteral("id"), QStringLiteral("f_name"), {}, &error)
                    && m_payer->load(QStringLiteral("select id, sys_name from s_user order by id"),
                                     QStringLiteral("id"), QStringLiteral("sys_name"), {}, &error);
    if (ok && m_account->count() > 0)
        m_account->setCurrentIndex(0);
    // The records are the spending of whoever logged in; the first member
    // when nobody did.
    if (ok && !(LoggedInMemberId > 0 && m_payer->setKeyValue(LoggedInMemberId)) && m_payer->count() > 0)
        m_payer->setCurrentIndex(0);
    m_filling = false;
    if (!ok) {
        Msg::dbError(this, error);
        return;
    }
    if (loadCategories())
        loadImports();
}

bool Tf_daoru::loadCategories()
{
    QList<CategoryChoice> choices;
    Query q(QStringLiteral("select id, f_name, f_class from v_fenlei order by id"));
    while (q.next())
        choices.append({q.integer(0), q.text(1), q.text(2)});
    if (!readOk(q))
        return false;
    m_preview->setCategories(choices);
    return true;
}

bool Tf_daoru::loadImports()
{
    QList<PastImport> past;
    DbError error;
    if (!readImports(Database::shared(), &past, &error)) {
        Msg::dbError(this, error);
        return false;
    }
    m_imports->removeRows(0, m_imports->rowCount());
    for (const PastImport& p : past) {
        auto* file = new QStandardItem(p.file);
        file->setData(p.id, Roles::Value);
        file->setToolTip(p.file);
        auto* count = new QStandardItem(QString::number(p.count));
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_imports->appendRow({file, new QStandardItem(p.time.toString(QStringLiteral("yyyy-MM-dd HH:mm"))), count});
    }
    for (int r = 0; r < m_imports->rowCount(); ++r)
        for (int c = 0; c < 3; ++c)
            m_imports->item(r, c)->setEditable(false);
    return true;
}

Encoding Tf_daoru::encoding() const
{
    switch (m_encoding->currentIndex()) {
    case 1: return Encoding::Utf8;
    case 2: return Encoding::Gbk;
    default: return Encoding::Auto;
    }
}

CsvMapping Tf_daoru::mapping() const
{
    // Entry 0 is "（无）"; entry n is the header's column n-1.
    CsvMapping m;
    for (int i = 0; i < kMappings; ++i)
        m.*kMappingLists[i].column = m_map[i]->currentIndex() - 1;
    m.positiveIsExpense = m_positiveIsExpense->isChecked();
    return m;
}

void Tf_daoru::fillMappingLists(const QStringList& header, const CsvMapping& proposed)
{
    m_filling = true;
    for (int i = 0; i < kMappings; ++i) {
        const int wanted = proposed.*kMappingLists[i].column;
        m_map[i]->clear();
        m_map[i]->addItem(kNone);
        m_map[i]->addItems(header);
        m_map[i]->setCurrentIndex(wanted >= 0 && wanted < header.size() ? wanted + 1 : 0);
    }
    m_filling = false;
}

QList<StatementLine> Tf_daoru::currentLines() const
{
    if (m_statement.kind != Kind::Csv)
        return m_statement.lines;
    // Without a date and an amount there is nothing to show yet.
    return mapCsv(m_statement.csv, mapping());
}

bool Tf_daoru::previewRows(const QList<StatementLine>& lines, QList<PreviewRow>* rows, DbError* error,
                           const ReadProgress& progress) const
{
    PreviewInput in;
    in.lines = lines;
    const qint64 account = m_account->keyValue().toLongLong();
    if (!readImportHistory(Database::shared(), account, &in.history, error))
        return false;
    QList<StoredKey> keys;
    keys.reserve(in.lines.size());
    for (const StatementLine& l : std::as_const(in.lines))
        keys.append({l.error.isEmpty() ? l.date : QDate(), l.amount, classLetter(l)});
    if (!findStoredMatches(Database::shared(), account, keys, &in.stored, error))
        return false;
    for (const CategoryChoice& c : m_preview->categories())
        in.classOf.insert(c.id, c.cls);
    in.defaultExpense = m_expense->keyValue().toLongLong();
    in.defaultIncome = m_income->keyValue().toLongLong();
    *rows = buildPreview(in, progress);
    return true;
}

bool Tf_daoru::rebuildPreview()
{
    QList<PreviewRow> rows;
    DbError error;
    bool ok;
    {
        WaitCursor wait;
        ok = previewRows(currentLines(), &rows, &error);
    }
    if (!ok) {
        Msg::dbError(this, error);
        return false;
    }
    m_preview->setRows(rows);
    return true;
}

void Tf_daoru::clearStatement()
{
    m_statement.csv = CsvTable();
    m_statement.lines.clear();
    fillMappingLists({}, CsvMapping());
    m_skipped->clear();
    m_preview->setRows({});
}

Tf_daoru::Outcome Tf_daoru::read(Statement& s, bool again, ReadProgressWindow& progress, CsvMapping* proposed,
                                 QList<PreviewRow>* rows, DbError* error) const
{
    if (!again) {
        switch (readFile(s.file, progress.step(0, 200), &s.bytes)) {
        case FileRead::Read: break;
        case FileRead::Failed: return Outcome::NothingReadable;
        case FileRead::TooBig: return Outcome::TooBig;
        case FileRead::Cancelled: return Outcome::Cancelled;
        }
        switch (statementFormat(s.file, s.bytes)) {
        case StatementFormat::Csv: s.kind = Kind::Csv; break;
        case StatementFormat::Qif: s.kind = Kind::Qif; break;
        case StatementFormat::Ofx: s.kind = Kind::Ofx; break;
        }
    }
    QList<StatementLine> lines;
    *proposed = CsvMapping();
    if (s.kind == Kind::Csv) {
        s.csv = readCsv(s.bytes, encoding(), progress.step(200, 750));
        if (s.csv.cancelled)
            return Outcome::Cancelled;
        // A title row alone, or no text at all, is no statement.
        if (s.csv.rows.isEmpty())
            return Outcome::NothingReadable;
        *proposed = proposeMapping(s.csv.header);
        proposed->positiveIsExpense = m_positiveIsExpense->isChecked();
        lines = mapCsv(s.csv, *proposed, progress.step(750, 900));
    } else {
        s.lines = s.kind == Kind::Qif ? readQif(s.bytes, encoding()) : readOfx(s.bytes);
        if (!anyReadable(s.lines))
            return Outcome::NothingReadable;
        lines = s.lines;
    }
    if (!progress.report(900))
        return Outcome::Cancelled;
    if (!previewRows(lines, rows, error, progress.step(900, 1000)))
        return Outcome::DbFailed;
    return progress.report(1000) ? Outcome::Read : Outcome::Cancelled;
}

void Tf_daoru::readStatement(const QString& path, bool again)
{
    Statement next;
    if (again)
        next = m_statement;
    next.file = path;
    CsvMapping proposed;
    QList<PreviewRow> rows;
    DbError error;
    Outcome outcome;
    {
        WaitCursor wait;
        ReadProgressWindow progress(this, m_progressDelayMs);
        outcome = read(next, again, progress, &proposed, &rows, &error);
    }
    switch (outcome) {
    case Outcome::Read:
        m_statement = std::move(next);
        m_readEncoding = m_encoding->currentIndex();
        fillMappingLists(m_statement.csv.header, proposed);
        m_skipped->setText(skippedText(m_statement.csv.skippedLines));
        m_preview->setRows(rows);
        return;
    case Outcome::Cancelled:
        if (again) {
            const QSignalBlocker block(m_encoding);
            m_encoding->setCurrentIndex(m_readEncoding);
        }
        return;
    case Outcome::NothingReadable:
    case Outcome::TooBig:
    case Outcome::DbFailed: break;
    }
    // Nothing of the file before may stay for 导入 to write. Under another
    // encoding the bytes stay, so the next choice can read them again.
    clearStatement();
    if (again)
        m_readEncoding = m_encoding->currentIndex();
    else
        m_statement = Statement();
    if (outcome == Outcome::DbFailed)
        Msg::dbError(this, error);
    else
        Msg::error(this, outcome == Outcome::TooBig ? kTooBig : kNothingReadable);
}

void Tf_daoru::Button1Click()
{
    const QString start
        = m_path->text().trimmed().isEmpty() ? QDir::homePath() : QFileInfo(m_path->text().trimmed()).absolutePath();
    QFileDialog dialog(this, QStringLiteral("选择账单文件"), start,
                       QStringLiteral("账单文件 (*.csv *.qif *.ofx *.qfx *.txt);;所有文件 (*)"));
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    m_path->setText(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
    Button2Click();
}

void Tf_daoru::Button2Click() { readStatement(m_path->text().trimmed(), false); }

void Tf_daoru::Button3Click()
{
    const QList<PreviewRow>& rows = m_preview->rows();
    QList<ImportLine> lines;
    for (const PreviewRow& r : rows) {
        if (!r.import || !importable(r))
            continue;
        if (!r.categoryId) {
            Msg::error(this, QStringLiteral("请为所有要导入的记录选择类别"));
            return;
        }
        lines.append(
            {r.line.date, r.line.amount, r.categoryId, r.line.counterparty, r.line.memo, r.line.fitid, r.line.note});
    }
    if (lines.isEmpty())
        return;
    const QVariant account = m_account->keyValue();
    if (!account.isValid()) {
        Msg::error(this, QStringLiteral("请选择导入到的账户"));
        return;
    }
    const QVariant payer = m_payer->keyValue();
    if (!payer.isValid()) {
        Msg::error(this, QStringLiteral("请选择付款人"));
        return;
    }
    // Each line is a record and an import line.
    if (2 * qint64(lines.size()) + 1 > kMaxJournaledRows
        && !confirmWithCopy(this, QStringLiteral("是否确定导入这%1条记录？").arg(lines.size()),
                            2 * qint64(lines.size()) + 1, QStringLiteral("导入"), QStringLiteral("导入前")))
        return;
    DbError error;
    bool ok;
    {
        WaitCursor wait;
        const QFileInfo file(m_statement.file);
        ok = runAction(
            Database::shared(), QStringLiteral("导入 %1 %2 笔").arg(file.completeBaseName()).arg(lines.size()),
            ActionKind::Import,
            [&](DbError* e) {
                // One transaction that must not stop half-way: progress without 取消.
                LongWork work(this, QStringLiteral("正在导入 %1 笔…").arg(LongWork::count(lines.size())), lines.size(),
                              false);
                return ImportRecords(Database::shared(), file.fileName(), Clock::now(), account.toLongLong(),
                                     payer.toLongLong(), lines, nullptr, e, [&](int done) { work.step(done); });
            },
            &error);
    }
    if (!ok) {
        Msg::dbError(this, error);
        return;
    }
    Msg::notice(this, QStringLiteral("导入成功！共%1条").arg(lines.size()));
    if (loadImports())
        rebuildPreview();
}

void Tf_daoru::Button4Click()
{
    const QModelIndex current = m_importGrid->currentIndex();
    if (!current.isValid())
        return;
    const qint64 id = m_imports->item(current.row(), 0)->data(Roles::Value).toLongLong();
    int live = 0;
    DbError error;
    if (!liveImportRecords(Database::shared(), id, &live, &error)) {
        Msg::dbError(this, error);
        return;
    }
    if (live > 0
        && !confirmWithCopy(this, QStringLiteral("是否确定撤销本次导入的%1条记录？").arg(live), 2 * qint64(live) + 1,
                            QStringLiteral("撤销导入"), QStringLiteral("撤销导入前")))
        return;
    const QString label = QStringLiteral("撤销导入 %1 %2 笔")
                              .arg(QFileInfo(m_imports->item(current.row(), 0)->text()).completeBaseName())
                              .arg(live);
    if (!runAction(
            Database::shared(), label, ActionKind::ImportUndo,
            [&](DbError* e) { return UndoImport(Database::shared(), id, nullptr, e); }, &error)) {
        Msg::dbError(this, error);
        return;
    }
    if (loadImports())
        rebuildPreview();
}
