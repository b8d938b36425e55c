// The preview's rules without a page: which lines may be duplicates, which
// category a line gets, and what can be ticked.
#include "import/Preview.h"

#include <QTest>

namespace {
StatementLine line(int n, const char* yuan, StatementLine::Kind kind, const QString& who,
                   const QString& fitid = QString())
{
    StatementLine l;
    l.line = n;
    l.date = QDate(2012, 5, 1);
    l.amount = *Money::parse(QString::fromLatin1(yuan));
    l.kind = kind;
    l.counterparty = who;
    l.fitid = fitid;
    return l;
}
}  // namespace

class TstPreview : public QObject {
    Q_OBJECT
private slots:
    void statusesAndCategories()
    {
        constexpr auto Z = StatementLine::Expense;
        constexpr auto S = StatementLine::Income;
        PreviewInput in;
        in.lines = {line(2, "10", Z, QStringLiteral("食堂")),                        // new, category of the last import
                    line(3, "10", Z, QStringLiteral("食堂")),                        // the same line again
                    line(4, "20", Z, QStringLiteral("银行"), QStringLiteral("F9")),  // FITID imported before
                    line(5, "30", S, QStringLiteral("食堂")),  // earlier category is of the other class
                    line(6, "40", Z, QStringLiteral("超市")),  // a stored record matches
                    line(7, "50", S, QString())};
        in.lines[5].error = QStringLiteral("日期无效");
        in.history.fitids = {QStringLiteral("F9")};
        in.history.categoryOf = {{QStringLiteral("食堂"), 11}};
        in.stored = {false, false, false, false, true, false};
        in.defaultExpense = 12;
        in.defaultIncome = 11;  // an expense category: no default for income lines
        in.classOf = {{11, QStringLiteral("Z")}, {12, QStringLiteral("Z")}, {21, QStringLiteral("S")}};
        const QList<PreviewRow> rows = buildPreview(in);
        QList<PreviewRow::Status> status;
        QList<bool> ticked;
        QList<qint64> category;
        for (const PreviewRow& r : rows) {
            status << r.status;
            ticked << r.import;
            category << r.categoryId;
        }
        using P = PreviewRow;
        QCOMPARE(status, (QList<P::Status>{P::New, P::Duplicate, P::Duplicate, P::New, P::Duplicate, P::Unreadable}));
        QCOMPARE(ticked, (QList<bool>{true, false, false, true, false, false}));
        QCOMPARE(category, (QList<qint64>{11, 11, 12, 0, 12, 0}));

        PreviewModel model;
        model.setCategories(
            {{11, QStringLiteral("午餐"), QStringLiteral("Z")}, {21, QStringLiteral("工资"), QStringLiteral("S")}});
        model.setRows(rows);
        QCOMPARE(model.statusText(5), QStringLiteral("无法读取：日期无效（第7行）"));
        model.toggleImport(5);  // an unreadable line cannot be ticked
        QCOMPARE(model.index(5, PreviewModel::ColImport).data().toString(), QStringLiteral("否"));
        model.toggleImport(1);
        QCOMPARE(model.index(1, PreviewModel::ColImport).data().toString(), QStringLiteral("是"));
        // The income line is offered income categories only; a new default
        // reaches it, not a line whose category the user chose.
        QVERIFY(!model.setData(model.index(3, PreviewModel::ColCategory), 11));
        QVERIFY(model.setData(model.index(0, PreviewModel::ColCategory), 11));
        model.applyDefaults(12, 21);
        QCOMPARE(model.index(3, PreviewModel::ColCategory).data().toString(), QStringLiteral("工资"));
        QCOMPARE(model.rows()[0].categoryId, qint64(11));
    }
};

QTEST_MAIN(TstPreview)
#include "tst_preview.moc"
