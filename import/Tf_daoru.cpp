#include "import/Tf_daoru.h"

#include "data/Clock.h"
#include "data/Database.h"
#include "data/Import.h"
#include "import/OfxReader.h"
#include "import/Preview.h"
#include "import/QifReader.h"
#include "ui/DataGrid.h"
#include "ui/LookupCombo.h"
#include "ui/Msg.h"
#include "ui/WaitCursor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>

namespace {
const char* const kMappingNames[] = {"日期", "金额", "收入", "支出", "收支", "摘要", "对方"};
const QString kNone = QStringLiteral("（无）");
const QString kNothingReadable = QStringLiteral("文件中没有可读取的账单记录");
constexpr int kRowHeight = 26;

bool anyReadable(const QList<StatementLine>& lines)
{
    return std::any_of(lines.cbegin(), lines.cend(), [](const StatementLine& l) { return l.error.isEmpty(); });
}
} // namespace

Tf_daoru::Tf_daoru(QWidget* parent) : Page("f_daoru", parent)
{
    buildFileRow();
    buildMappingRow();
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
        if (m_kind == Kind::Csv) {
            m_csv = readCsv(m_bytes, encoding());
            fillMappingLists(m_csv.header, proposeMapping(m_csv.header));
        } else if (m_kind == Kind::Qif) {
            m_lines = readQif(m_bytes, encoding());
        }
        rebuildPreview();
    });
    connect(m_positiveIsExpense, &QCheckBox::toggled, this, [this] {
        if (m_kind == Kind::Csv)
            rebuildPreview();
    });
}

void Tf_daoru::buildMappingRow()
{
    for (int i = 0; i < kMappings; ++i) {
        const int x = 6 + i * 108;
        label(this, QString::fromUtf8(kMappingNames[i]), QRect(x, 38, 28, kRowHeight));
        m_map[i] = new QComboBox(this);
        m_map[i]->setObjectName(QStringLiteral("ComboBox%1").arg(i + 1));
        m_map[i]->setGeometry(x + 30, 38, 74, kRowHeight);
        m_map[i]->addItem(kNone);
        connect(m_map[i], &QComboBox::currentIndexChanged, this, [this] {
            if (!m_filling && m_kind == Kind::Csv)
                rebuildPreview();
        });
    }
}

void Tf_daoru::buildAccountRow()
{
    label(this, QStringLiteral("账户"), QRect(6, 70, 30, kRowHeight));
    m_account = lookupCombo(this, "DBLookupComboboxEh1", QRect(38, 70, 120, kRowHeight), QStringLiteral("导入到的账户"));
    label(this, QStringLiteral("默认支出类别"), QRect(166, 70, 80, kRowHeight));
    m_expense = lookupCombo(this, "DBLookupComboboxEh2", QRect(246, 70, 110, kRowHeight));
    label(this, QStringLiteral("默认收入类别"), QRect(364, 70, 80, kRowHeight));
    m_income = lookupCombo(this, "DBLookupComboboxEh3", QRect(444, 70, 110, kRowHeight));
    connect(button(this, "Button3", QStringLiteral("导入"), QRect(564, 70, 56, kRowHeight)), &QPushButton::clicked, this,
            &Tf_daoru::Button3Click);
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
    m_preview = new PreviewModel(this);
    m_previewGrid = grid(this, "DBGridEh1", QRect(3, 102, 520, kHeight - 105), m_preview);
    m_previewGrid->setColumnWidths({80, 62, 34, 70, 70, 70, 96, 34});
    m_previewGrid->setEditOnAnyPress(true);
    m_previewGrid->setEditButton(PreviewModel::ColCategory);
    connect(m_previewGrid, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) {
        if (i.column() == PreviewModel::ColImport)
            m_preview->toggleImport(i.row());
    });

    label(this, QStringLiteral("导入记录"), QRect(529, 102, 120, 20));
    m_imports = new QStandardItemModel(0, 3, this);
    m_imports->setHorizontalHeaderLabels({QStringLiteral("文件"), QStringLiteral("时间"), QStringLiteral("条数")});
    m_importGrid = grid(this, "DBGridEh2", QRect(527, 124, kWidth - 530, kHeight - 160), m_imports);
    m_importGrid->setColumnWidths({80, 122, 34});
    connect(button(this, "Button4", QStringLiteral("撤销导入"), QRect(527, kHeight - 32, kWidth - 530, kRowHeight)),
            &QPushButton::clicked, this, &Tf_daoru::Button4Click);
}

void Tf_daoru::FormCreate()
{
    m_filling = true;
    QString error;
    const bool ok = m_account->load(QStringLiteral("select id, z_name from z_zhanghu order by id"), QStringLiteral("id"),
                                    QStringLiteral("z_name"), {}, &error)
                    && m_expense->load(QStringLiteral("select id, f_name from v_fenlei where f_class='Z' order by id"),
                                       QStringLiteral("id"), QStringLiteral("f_name"), {}, &error)
                    && m_income->load(QStringLiteral("select id, f_name from v_fenlei where f_class='S' order by id"),
                                      QStringLiteral("id"), QStringLiteral("f_name"), {}, &error);
    if (ok && m_account->count() > 0)
        m_account->setCurrentIndex(0);
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
    QString error;
    if (!readImports(Database::shared(), &past, &error)) {
        Msg::dbError(this, error);
        return false;
    }
    m_imports->removeRows(0, m_imports->rowCount());
    for (const PastImport& p : past) {
        auto* file = new QStandardItem(p.file);
        file->setData(p.id, Qt::UserRole);
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
    int* targets[kMappings] = {&m.date, &m.amount, &m.income, &m.expense, &m.direction, &m.memo, &m.counterparty};
    for (int i = 0; i < kMappings; ++i)
        *targets[i] = m_map[i]->currentIndex() - 1;
    m.positiveIsExpense = m_positiveIsExpense->isChecked();
    return m;
}

void Tf_daoru::fillMappingLists(const QStringList& header, const CsvMapping& proposed)
{
    const int wanted[kMappings] = {proposed.date,   proposed.amount, proposed.income,      proposed.expense,
                                   proposed.direction, proposed.memo, proposed.counterparty};
    m_filling = true;
    for (int i = 0; i < kMappings; ++i) {
        m_map[i]->clear();
        m_map[i]->addItem(kNone);
        m_map[i]->addItems(header);
        m_map[i]->setCurrentIndex(wanted[i] >= 0 && wanted[i] < header.size() ? wanted[i] + 1 : 0);
    }
    m_filling = false;
}

QList<StatementLine> Tf_daoru::currentLines() const
{
    if (m_kind != Kind::Csv)
        return m_lines;
    // Without a date and an amount there is nothing to show yet.
    return mapCsv(m_csv, mapping());
}

bool Tf_daoru::rebuildPreview()
{
    PreviewInput in;
    in.lines = currentLines();
    const qint64 account = m_account->keyValue().toLongLong();
    QString error;
    if (!readImportHistory(Database::shared(), account, &in.history, &error)) {
        Msg::dbError(this, error);
        return false;
    }
    QList<StoredKey> keys;
    for (const StatementLine& l : std::as_const(in.lines))
        keys.append({l.error.isEmpty() ? l.date : QDate(), l.amount, classLetter(l)});
    if (!findStoredMatches(Database::shared(), account, keys, &in.stored, &error)) {
        Msg::dbError(this, error);
        return false;
    }
    for (const CategoryChoice& c : m_preview->categories())
        in.classOf.insert(c.id, c.cls);
    in.defaultExpense = m_expense->keyValue().toLongLong();
    in.defaultIncome = m_income->keyValue().toLongLong();
    m_preview->setRows(buildPreview(in));
    return true;
}

void Tf_daoru::Button1Click()
{
    const QString start = m_path->text().trimmed().isEmpty() ? QDir::homePath() : QFileInfo(m_path->text().trimmed()).absolutePath();
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

void Tf_daoru::Button2Click()
{
    const QString path = m_path->text().trimmed();
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        Msg::error(this, kNothingReadable);
        return;
    }
    const QByteArray bytes = file.readAll();
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QByteArray head = bytes.left(4096);
    Kind kind = Kind::Csv;
    if (suffix == u"ofx" || suffix == u"qfx" || head.contains("OFXHEADER") || head.contains("<OFX>"))
        kind = Kind::Ofx;
    else if (suffix == u"qif" || head.trimmed().startsWith("!Type") || head.trimmed().startsWith("!Option"))
        kind = Kind::Qif;

    if (kind == Kind::Csv) {
        CsvTable table = readCsv(bytes, encoding());
        if (table.header.isEmpty()) {
            Msg::error(this, kNothingReadable);
            return;
        }
        m_kind = kind;
        m_bytes = bytes;
        m_file = path;
        m_csv = std::move(table);
        m_lines.clear();
        fillMappingLists(m_csv.header, proposeMapping(m_csv.header));
    } else {
        QList<StatementLine> lines = kind == Kind::Qif ? readQif(bytes, encoding()) : readOfx(bytes);
        if (!anyReadable(lines)) {
            Msg::error(this, kNothingReadable);
            return;
        }
        m_kind = kind;
        m_bytes = bytes;
        m_file = path;
        m_csv = CsvTable();
        m_lines = std::move(lines);
        fillMappingLists({}, CsvMapping());
    }
    rebuildPreview();
}

void Tf_daoru::Button3Click()
{
    const QList<PreviewRow>& rows = m_preview->rows();
    QList<ImportLine> lines;
    for (const PreviewRow& r : rows) {
        if (!r.import)
            continue;
        if (!r.categoryId) {
            Msg::error(this, QStringLiteral("请为所有要导入的记录选择类别"));
            return;
        }
        lines.append({r.line.date, r.line.amount, r.categoryId, r.line.counterparty, r.line.memo, r.line.fitid});
    }
    if (lines.isEmpty())
        return;
    const QVariant account = m_account->keyValue();
    if (!account.isValid()) {
        Msg::error(this, QStringLiteral("请选择导入到的账户"));
        return;
    }
    // The payer of imported records: the member made first.
    Query payer(QStringLiteral("select min(id) from s_user"));
    if (payer.fetch() != Query::Fetch::Row) {
        readOk(payer);
        return;
    }
    QString error;
    bool ok;
    {
        WaitCursor wait;
        ok = ImportRecords(Database::shared(), QFileInfo(m_file).fileName(), Clock::now(), account.toLongLong(),
                           payer.integer(0), lines, nullptr, &error);
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
    const qint64 id = m_imports->item(current.row(), 0)->data(Qt::UserRole).toLongLong();
    int live = 0;
    QString error;
    if (!liveImportRecords(Database::shared(), id, &live, &error)) {
        Msg::dbError(this, error);
        return;
    }
    if (live > 0 && !Msg::confirm(this, QStringLiteral("是否确定撤销本次导入的%1条记录？").arg(live)))
        return;
    if (!UndoImport(Database::shared(), id, nullptr, &error)) {
        Msg::dbError(this, error);
        return;
    }
    if (loadImports())
        rebuildPreview();
}
