#include "reports/Tf_dayin.h"

#include "data/Clock.h"
#include "data/Sums.h"
#include "ui/DataGrid.h"
#include "ui/GridOutput.h"
#include "ui/Msg.h"
#include "ui/PageKit.h"
#include "ui/QueryModel.h"
#include "ui/Theme.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

namespace {
const char* const kMembers = "select sys_name from s_user order by id";
const QString kAllMembers = QStringLiteral("全部用户");
enum Col { ColDate, ColCategory, ColMember, ColAccount, ColAmount, ColId, kShown = ColId };
constexpr int kColumnWidth = 100;

// Twenty years of records come in chunks as the list scrolls, by date and
// then in the order entered; the id rides along hidden as the second key.
QueryModel::Chunked records(bool oneMember)
{
    QueryModel::Chunked list;
    list.columns = QStringLiteral("s_date as 日期,f_name as 项目,sys_name as 用户,z_name as 账户,s_jine as 金额,id");
    list.source = QStringLiteral("s_z_all");
    list.filter = QStringLiteral("s_date between :from and :to and f_class=:class");
    // The footer from the records' monthly sums.
    list.totalsSource = spanViewSql();
    list.totalsFilter = QStringLiteral("f_class=:class");
    if (oneMember) {
        list.filter += QStringLiteral(" and sys_name=:user");
        list.totalsFilter += QStringLiteral(" and sys_name=:user");
    }
    list.keys = {QStringLiteral("s_date"), QStringLiteral("id")};
    list.keyColumns = {ColDate, ColId};
    list.sums = {{ColAmount, QStringLiteral("s_jine")}};
    return list;
}
}  // namespace

Tf_dayin::Tf_dayin(QWidget* parent) : Page("f_dayin", parent)
{
    const auto range = PageKit::dateRange(this, 6, 6, "DateTimePicker14", "DateTimePicker13");
    m_from = range.from;
    m_to = range.to;
    int x = 6 + PageKit::kRangeWidth + 10;
    m_members = new QComboBox(this);
    m_members->setObjectName(QStringLiteral("ComboBox3"));
    m_members->setGeometry(x, 6, 110, 26);
    x += 116;
    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("ComboBox4"));
    m_kind->setGeometry(x, 6, 64, 26);
    x += 72;
    connect(button(this, "Button58", QStringLiteral("查询"), QRect(x, 6, 56, 26)), &QPushButton::clicked, this,
            &Tf_dayin::Button58Click);
    connect(button(this, "Button59", QStringLiteral("打印"), QRect(x + 60, 6, 56, 26)), &QPushButton::clicked, this,
            &Tf_dayin::Button59Click);
    connect(button(this, "Button61", QStringLiteral("导出Excel"), QRect(x + 120, 6, 80, 26)), &QPushButton::clicked,
            this, &Tf_dayin::Button61Click);
    QLabel* hint = label(this, QStringLiteral("先点查询"), QRect(x + 206, 6, kWidth - 6 - (x + 206), 26));
    hint->setFont(Theme::songti(12, true));
    hint->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_records = new QueryModel(this);
    // Under 打印, the choice of what goes on paper besides the list.
    m_titled = new QCheckBox(QStringLiteral("打印标题和页码"), this);
    m_titled->setObjectName(QStringLiteral("CheckBox1"));
    m_titled->setGeometry(x + 60, 36, 140, 22);
    m_titled->setChecked(true);
    m_titled->setToolTip(QStringLiteral("第一页上方印出明细的名称、日期范围和用户，每页下方印出“第 N 页 / 共 M 页”"));
    m_grid = grid(this, "DBGridEh18", QRect(3, 62, kWidth - 6, kHeight - 65), m_records);
    m_grid->setRowNumbers(true);
    m_grid->setFont(Theme::songti(13));
    m_grid->horizontalHeader()->setFont(Theme::songti(16));
    m_grid->horizontalHeader()->setFixedHeight(18);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    FormCreate();
}

void Tf_dayin::FormCreate()
{
    const QDate today = Clock::today();
    m_from->setDate(QDate(today.year(), 1, 1));
    m_to->setDate(today);
    m_kind->addItems({QStringLiteral("收入"), QStringLiteral("支出")});
    m_kind->setCurrentIndex(0);
    DbError error;
    if (!PageKit::fillNames(m_members, kAllMembers, QString::fromUtf8(kMembers), {}, &error))
        Msg::dbError(this, error);
}

bool Tf_dayin::query()
{
    const QString kind = m_kind->currentText() == QStringLiteral("支出") ? QStringLiteral("Z") : QStringLiteral("S");
    Binds binds{{":from", m_from->date()}, {":to", m_to->date()}, {":class", kind}};
    binds += spanBinds(m_from->date(), m_to->date());
    // "全部用户" is the first entry: a member of that name is chosen further down.
    const bool all = m_members->currentIndex() <= 0;
    if (!all)
        binds.append({":user", m_members->currentText()});
    DbError error;
    const bool ok = m_records->setChunkedQuery(records(!all), binds, &error);
    m_grid->setColumnHidden(ColId, true);
    m_grid->setColumnWidths(QList<int>(kShown, kColumnWidth));
    m_grid->setFooterText(ColDate, QStringLiteral("合计:"));
    m_grid->setFooterSum(ColAmount);
    if (!ok) {
        Msg::dbError(this, error);
        return false;
    }
    return true;
}

void Tf_dayin::Button58Click() { query(); }

void Tf_dayin::Button59Click()
{
    GridOutput::PrintOptions options;
    if (m_titled->isChecked()) {
        options.title = QStringLiteral("%1明细 %2 至 %3 %4")
                            .arg(m_kind->currentText(), m_from->date().toString(QStringLiteral("yyyy-MM-dd")),
                                 m_to->date().toString(QStringLiteral("yyyy-MM-dd")), m_members->currentText());
        options.pageNumbers = true;
    }
    if (!GridOutput::preview(*m_grid, this, options))
        Msg::info(this, QStringLiteral("请先设置默认打印机!"));
}

void Tf_dayin::Button61Click()
{
    if (query())
        GridOutput::exportXls(*m_grid, this, QStringLiteral("导出Excel"));
}
