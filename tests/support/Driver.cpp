#include "tests/support/Driver.h"

#include "data/Clock.h"
#include "data/Database.h"
#include "data/Money.h"
#include "ui/ClickLabel.h"
#include "ui/DataGrid.h"

#include <QAbstractBarSeries>
#include <QAbstractButton>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPieSeries>
#include <QPieSlice>
#include <QTest>
#include <QTextDocumentFragment>

#include <algorithm>

namespace Driver {

namespace {
QString describe(const QObject* o)
{
    if (!o)
        return QStringLiteral("(none)");
    const QString name = o->objectName();
    return name.isEmpty() ? QString::fromLatin1(o->metaObject()->className())
                          : QStringLiteral("%1 %2").arg(QString::fromLatin1(o->metaObject()->className()), name);
}
}  // namespace

void fail(const QString& message, const SourceLocation& where)
{
    QTest::qFail(qPrintable(message), where.file_name(), int(where.line()));
    throw Abort();
}

namespace detail {

int& Body::depth()
{
    static int d = 0;
    return d;
}

void requireBody(const SourceLocation& where)
{
    if (Body::depth() > 0)
        return;
    // Once per test (and data row), the rest would only repeat it.
    static QByteArray reported;
    const QByteArray test = QByteArray(QTest::currentTestFunction()) + '/' + QTest::currentDataTag();
    if (reported == test)
        return;
    reported = test;
    QTest::qFail("test helper used outside TEST_BEGIN/TEST_END: a failure there could not stop the test",
                 where.file_name(), int(where.line()));
}

QObject* findOne(QObject* root, const QString& name, const QMetaObject& type, const SourceLocation& where)
{
    requireBody(where);
    const QString wanted = QString::fromLatin1(type.className());
    if (!root)
        fail(QStringLiteral("no widget to look for %1 %2 in").arg(wanted, name), where);
    if (name.isEmpty())  // would match every unnamed object
        fail(QStringLiteral("no name given for the %1 to look for").arg(wanted), where);
    const QList<QObject*> named = root->findChildren<QObject*>(name);
    QList<QObject*> typed;
    for (QObject* o : named)
        if (type.cast(o))
            typed << o;
    if (typed.size() == 1)
        return typed.first();
    if (typed.isEmpty()) {
        if (named.isEmpty())
            fail(QStringLiteral("%1: no control of that name in %2").arg(name, describe(root)), where);
        fail(QStringLiteral("%1 is a %2, not a %3")
                 .arg(name, QString::fromLatin1(named.first()->metaObject()->className()), wanted),
             where);
    }
    QStringList parents;
    for (QObject* o : typed)
        parents << describe(o->parent());
    fail(QStringLiteral("%1: %2 controls of that name in %3 (in %4); look in a narrower widget")
             .arg(name)
             .arg(typed.size())
             .arg(describe(root), parents.join(QStringLiteral(", "))),
         where);
}

}  // namespace detail

// ---------------------------------------------------------------- controls

void click(QObject* root, const QString& button, const SourceLocation& where)
{
    QTest::mouseClick(find<QAbstractButton>(root, button, where), Qt::LeftButton);
}

void clickLabel(QObject* root, const QString& label, const SourceLocation& where)
{
    auto* l = find<ClickLabel>(root, label, where);
    QTest::mouseClick(l, Qt::LeftButton, {}, l->rect().center());
}

void typeText(QObject* root, const QString& control, const QString& text, const SourceLocation& where)
{
    QTest::keyClicks(find<QWidget>(root, control, where), text);
}

void setText(QObject* root, const QString& lineEdit, const QString& text, const SourceLocation& where)
{
    find<QLineEdit>(root, lineEdit, where)->setText(text);
}

QString labelText(QObject* root, const QString& label, const SourceLocation& where)
{
    return find<QLabel>(root, label, where)->text();
}

QString editText(QObject* root, const QString& lineEdit, const SourceLocation& where)
{
    return find<QLineEdit>(root, lineEdit, where)->text();
}

void setDate(QObject* root, const QString& dateEdit, const QDate& date, const SourceLocation& where)
{
    find<QDateEdit>(root, dateEdit, where)->setDate(date);
}

// ---------------------------------------------------------------- grids

namespace {
QModelIndex cellIndex(DataGrid* g, int row, int col, const SourceLocation& where)
{
    const QAbstractItemModel* m = g->model();
    if (!m)
        fail(QStringLiteral("%1 has no model").arg(g->objectName()), where);
    if (row < 0 || row >= m->rowCount() || col < 0 || col >= m->columnCount())
        fail(QStringLiteral("%1 has %2 rows and %3 columns; row %4, column %5 asked")
                 .arg(g->objectName())
                 .arg(m->rowCount())
                 .arg(m->columnCount())
                 .arg(row)
                 .arg(col),
             where);
    return m->index(row, col);
}
}  // namespace

DataGrid* grid(QObject* root, const QString& name, const SourceLocation& where)
{
    DataGrid* g = find<DataGrid>(root, name, where);
    if (!g->model())
        fail(QStringLiteral("%1 has no model").arg(name), where);
    return g;
}

int rowCount(QObject* root, const QString& name, const SourceLocation& where)
{
    return grid(root, name, where)->model()->rowCount();
}

QString cell(QObject* root, const QString& name, int row, int col, const SourceLocation& where)
{
    return cellIndex(grid(root, name, where), row, col, where).data().toString();
}

QStringList column(QObject* root, const QString& name, int col, const SourceLocation& where)
{
    DataGrid* g = grid(root, name, where);
    const QAbstractItemModel* m = g->model();
    if (col < 0 || col >= m->columnCount())
        fail(QStringLiteral("%1 has %2 columns; column %3 asked").arg(name).arg(m->columnCount()).arg(col), where);
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, col).data().toString();
    return out;
}

QStringList rowTexts(QObject* root, const QString& name, int columns, const SourceLocation& where)
{
    QStringList out;
    for (int r = 0; r < rowCount(root, name, where); ++r) {
        QStringList cells;
        for (int c = 0; c < columns; ++c)
            cells << cell(root, name, r, c, where);
        out << cells.join(u' ');
    }
    return out;
}

QStringList footerTexts(QObject* root, const QString& name, const SourceLocation& where)
{
    return find<DataGrid>(root, name, where)->property("footerTexts").toStringList();
}

void clickRow(QObject* root, const QString& name, int row, const SourceLocation& where)
{
    DataGrid* g = grid(root, name, where);
    int col = 0;
    while (col < g->model()->columnCount() && g->isColumnHidden(col))
        ++col;
    const QModelIndex idx = cellIndex(g, row, col, where);
    g->setCurrentIndex(idx);
    emit g->clicked(idx);
}

void pressCell(QObject* root, const QString& name, int row, int col, Qt::MouseButton button,
               const SourceLocation& where)
{
    DataGrid* g = grid(root, name, where);
    const QRect r = g->visualRect(cellIndex(g, row, col, where));
    if (!r.isValid())
        fail(QStringLiteral("%1: row %2, column %3 is not on screen").arg(name).arg(row).arg(col), where);
    QTest::mouseClick(g->viewport(), button, Qt::NoModifier, r.center());
}

void selectCell(QObject* root, const QString& name, int row, int col, const SourceLocation& where)
{
    DataGrid* g = grid(root, name, where);
    g->setCurrentIndex(cellIndex(g, row, col, where));
}

void editCell(QObject* root, const QString& name, int row, int col, const QVariant& value, const SourceLocation& where)
{
    DataGrid* g = grid(root, name, where);
    const QModelIndex idx = cellIndex(g, row, col, where);
    g->setCurrentIndex(idx);
    if (!g->model()->setData(idx, value))
        fail(QStringLiteral("%1 refused %2 in row %3, column %4").arg(name, value.toString()).arg(row).arg(col), where);
}

// ---------------------------------------------------------------- charts

QChartView* chart(QObject* root, const QString& name, const SourceLocation& where)
{
    auto* view = find<QChartView>(root, name, where);
    if (!view->chart())
        fail(QStringLiteral("%1 has no chart").arg(name), where);
    return view;
}

namespace {
// The first series as bars, or null when the chart has no series.
QAbstractBarSeries* bars(QObject* root, const QString& name, const SourceLocation& where)
{
    QAbstractSeries* first = chart(root, name, where)->chart()->series().value(0);
    if (!first)
        return nullptr;
    auto* b = qobject_cast<QAbstractBarSeries*>(first);
    if (!b)
        fail(QStringLiteral("%1 shows a %2, not bars").arg(name, QString::fromLatin1(first->metaObject()->className())),
             where);
    return b;
}

bool horizontal(const QAbstractBarSeries* s)
{
    switch (s->type()) {
    case QAbstractSeries::SeriesTypeHorizontalBar:
    case QAbstractSeries::SeriesTypeHorizontalStackedBar:
    case QAbstractSeries::SeriesTypeHorizontalPercentBar: return true;
    default: return false;
    }
}

// Series order is bottom to top for horizontal bars.
template <class L> L readingOrder(L list, const QAbstractBarSeries* s)
{
    if (horizontal(s))
        std::reverse(list.begin(), list.end());
    return list;
}

QPieSeries* pie(QObject* root, const QString& name, const SourceLocation& where)
{
    QAbstractSeries* first = chart(root, name, where)->chart()->series().value(0);
    if (!first)
        return nullptr;
    auto* p = qobject_cast<QPieSeries*>(first);
    if (!p)
        fail(
            QStringLiteral("%1 shows a %2, not a pie").arg(name, QString::fromLatin1(first->metaObject()->className())),
            where);
    return p;
}
}  // namespace

QList<qreal> barValues(QObject* root, const QString& name, const SourceLocation& where)
{
    QAbstractBarSeries* s = bars(root, name, where);
    QList<qreal> out;
    if (!s || s->barSets().isEmpty())
        return out;
    const QBarSet* set = s->barSets().first();
    for (int i = 0; i < set->count(); ++i)
        out << set->at(i);
    return readingOrder(out, s);
}

namespace {
// Qt Charts paints label texts as HTML: the text a user reads.
QString painted(const QString& label) { return QTextDocumentFragment::fromHtml(label).toPlainText(); }

QStringList painted(const QStringList& labels)
{
    QStringList out;
    for (const QString& l : labels)
        out << painted(l);
    return out;
}
}  // namespace

QStringList barLabels(QObject* root, const QString& name, const SourceLocation& where)
{
    QAbstractBarSeries* s = bars(root, name, where);
    if (!s || s->barSets().isEmpty())
        return {};
    QList<QAbstractAxis*> axes = s->attachedAxes();
    axes += chart(root, name, where)->chart()->axes();
    for (QAbstractAxis* a : axes)
        if (auto* c = qobject_cast<QBarCategoryAxis*>(a))
            return readingOrder(painted(c->categories()), s);
    fail(QStringLiteral("%1 has bars but no category axis").arg(name), where);
}

QList<qreal> pieValues(QObject* root, const QString& name, const SourceLocation& where)
{
    QList<qreal> out;
    if (QPieSeries* p = pie(root, name, where))
        for (const QPieSlice* slice : p->slices())
            out << slice->value();
    return out;
}

QStringList pieLabels(QObject* root, const QString& name, const SourceLocation& where)
{
    QStringList out;
    if (QPieSeries* p = pie(root, name, where))
        for (const QPieSlice* slice : p->slices())
            out << painted(slice->label());
    return out;
}

namespace detail {
QAbstractAxis* valueAxis(QObject* root, const QString& name, const QMetaObject& type, const SourceLocation& where)
{
    QAbstractBarSeries* s = bars(root, name, where);
    if (!s)
        fail(QStringLiteral("%1 has no bars").arg(name), where);
    for (QAbstractAxis* a : s->attachedAxes()) {
        if (qobject_cast<QBarCategoryAxis*>(a))
            continue;
        if (!type.cast(a))
            fail(QStringLiteral("%1's value axis is a %2, not a %3")
                     .arg(name, QString::fromLatin1(a->metaObject()->className()),
                          QString::fromLatin1(type.className())),
                 where);
        return a;
    }
    fail(QStringLiteral("%1 has no value axis").arg(name), where);
}
}  // namespace detail

// ---------------------------------------------------------------- data

namespace {
Money money(const QString& amount, const SourceLocation& where)
{
    const std::optional<Money> m = Money::parse(amount);
    if (!m)
        fail(QStringLiteral("not an amount: \"%1\"").arg(amount), where);
    return *m;
}

// Runs an insert that must write exactly one row; returns its id.
qint64 insertOne(Query& q, const QString& what, const SourceLocation& where)
{
    if (!q.exec())
        fail(QStringLiteral("%1: %2").arg(what, q.error()), where);
    if (Database::shared().changes() != 1)
        fail(QStringLiteral("%1: nothing written").arg(what), where);
    return Database::shared().lastInsertId();
}
}  // namespace

qint64 addRecord(const QString& category, const QString& amount, const QDate& date, const QString& remark,
                 qint64 member, qint64 account, const SourceLocation& where)
{
    detail::requireBody(where);
    Query q(QStringLiteral("insert into s_shouru (f_fenleiid,s_jine,s_userid,s_other,s_zhanghuid,s_date,f_class) "
                           "select id,:j,:u,:o,:z,:d,f_class from s_fenlei where f_name=:n"));
    q.bind(":n", category)
        .bind(":j", money(amount, where))
        .bind(":u", member)
        .bind(":o", remark)
        .bind(":z", account)
        .bind(":d", date);
    return insertOne(q, QStringLiteral("record of category \"%1\"").arg(category), where);
}

qint64 addRecord(const Record& r, const SourceLocation& where)
{
    detail::requireBody(where);
    Query q(QStringLiteral("insert into s_shouru (f_fenleiid,s_jine,s_userid,s_other,s_zhanghuid,s_date,f_class) "
                           "select id,:j,:u,:o,:z,:d,coalesce(:c,f_class) from s_fenlei where id=:f"));
    q.bind(":f", r.categoryId)
        .bind(":j", money(r.amount, where))
        .bind(":u", r.member)
        .bind(":o", r.remark)
        .bind(":z", r.account)
        .bind(":d", r.date)
        .bind(":c", r.cls);
    return insertOne(q, QStringLiteral("record of category id %1").arg(r.categoryId), where);
}

qint64 addCategory(const QString& name, const QString& cls, const QString& parent, const QString& pinyin,
                   const SourceLocation& where)
{
    detail::requireBody(where);
    const qint64 parentId = parent.isNull() ? 0 : categoryId(parent, where);
    Query q(QStringLiteral("insert into s_fenlei (f_id,f_class,f_name,f_pinyin) values (:p,:c,:n,:y)"));
    q.bind(":p", parentId).bind(":c", cls).bind(":n", name).bind(":y", pinyin);
    return insertOne(q, QStringLiteral("category \"%1\"").arg(name), where);
}

qint64 addAccount(const QString& name, const QString& opening, const QString& remark, const SourceLocation& where)
{
    detail::requireBody(where);
    Query q(QStringLiteral("insert into z_zhanghu (z_name,z_qcje,z_other) values (:n,:q,:o)"));
    q.bind(":n", name).bind(":q", money(opening, where)).bind(":o", remark);
    return insertOne(q, QStringLiteral("account \"%1\"").arg(name), where);
}

qint64 addMember(const QString& name, const QString& password, const SourceLocation& where)
{
    detail::requireBody(where);
    Query q(QStringLiteral("insert into s_user (sys_name,sys_pwd) values (:n,:p)"));
    q.bind(":n", name).bind(":p", password.isNull() ? QStringLiteral("") : password);
    return insertOne(q, QStringLiteral("member \"%1\"").arg(name), where);
}

qint64 categoryId(const QString& name, const SourceLocation& where)
{
    detail::requireBody(where);
    Query q(QStringLiteral("select id from s_fenlei where f_name=:n"));
    q.bind(":n", name);
    switch (q.fetch()) {
    case Query::Fetch::Row: return q.integer(0);
    case Query::Fetch::NoRow: fail(QStringLiteral("no category named \"%1\"").arg(name), where);
    case Query::Fetch::Failed: break;
    }
    fail(QStringLiteral("category \"%1\": %2").arg(name, q.error()), where);
}

// ---------------------------------------------------------------- fixture

QDateTime PageFixture::defaultNow() { return QDateTime(QDate(2012, 5, 20), QTime(12, 0)); }

PageFixture::PageFixture(const QDateTime& now, const BuildOptions& options, const SourceLocation& where) : db(options)
{
    detail::requireBody(where);
    if (!db.ok())
        fail(QStringLiteral("test database not built: %1").arg(db.error()), where);
    if (!db.openShared())
        fail(QStringLiteral("test database not opened: %1").arg(Database::shared().lastError()), where);
    Clock::setFixed(now);
}

PageFixture::~PageFixture() { Clock::setFixed({}); }

QStringList PageFixture::boxesAfterClick(QObject* root, const QString& button, const SourceLocation& where)
{
    boxes.clear();
    click(root, button, where);
    return boxes.texts();
}

void PageFixture::setNow(const QDateTime& now) { Clock::setFixed(now); }

}  // namespace Driver
