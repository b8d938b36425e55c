// The statement readers (CSV, QIF, OFX) against the files under
// tests/data/import: every line as the import page would get it.
#include "import/CsvReader.h"
#include "import/OfxReader.h"
#include "import/Preview.h"
#include "import/QifReader.h"
#include "import/Statement.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTest>

namespace {

QByteArray dataFile(const QString& name)
{
    QFile f(QStringLiteral(JIZHANG_SOURCE_DIR "/tests/data/import/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing test file %s", qPrintable(name));
    return f.readAll();
}

// One line as a short text, so a failing comparison shows the whole line:
// "5 2026-12-01 收8500.00 代发工资|杭州明远科技有限公司", or "8 日期无效".
QString describe(const StatementLine& l)
{
    if (!l.error.isEmpty())
        return QString::number(l.line) + u' ' + l.error;
    QString s = QStringLiteral("%1 %2 %3%4 %5|%6")
                    .arg(QString::number(l.line), l.date.toString(Qt::ISODate),
                         l.kind == StatementLine::Income ? QStringLiteral("收") : QStringLiteral("支"),
                         l.amount.twoDecimals(), l.memo, l.counterparty);
    if (!l.fitid.isEmpty())
        s += u'|' + l.fitid;
    if (l.split)
        s += QStringLiteral(" 拆分");
    return s;
}

QStringList describe(const QList<StatementLine>& lines)
{
    QStringList out;
    for (const StatementLine& l : lines)
        out << describe(l);
    return out;
}

QStringList csvLines(const QByteArray& bytes, Encoding enc = Encoding::Auto)
{
    const CsvTable table = readCsv(bytes, enc);
    return describe(mapCsv(table, proposeMapping(table.header)));
}

CsvMapping mapping(int date, int amount, int income, int expense, int direction, int memo, int counterparty)
{
    CsvMapping m;
    m.date = date, m.amount = amount, m.income = income, m.expense = expense;
    m.direction = direction, m.memo = memo, m.counterparty = counterparty;
    return m;
}

}  // namespace

class TstReaders : public QObject {
    Q_OBJECT
private slots:
    // Which reader a file goes to: its name or its first 4 KiB.
    void statementFormat_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("format");
        const int csv = int(StatementFormat::Csv), qif = int(StatementFormat::Qif), ofx = int(StatementFormat::Ofx);
        QTest::newRow("csv") << QStringLiteral("a.csv") << QByteArray("日期,金额\n") << csv;
        QTest::newRow("ofx by name") << QStringLiteral("a.OFX") << QByteArray("x") << ofx;
        QTest::newRow("qfx by name") << QStringLiteral("a.qfx") << QByteArray() << ofx;
        QTest::newRow("ofx header") << QStringLiteral("a.txt") << QByteArray("OFXHEADER:100\n") << ofx;
        QTest::newRow("ofx tag") << QStringLiteral("a.csv") << QByteArray("<?xml?>\n<OFX>") << ofx;
        QTest::newRow("ofx tag past 4 KiB") << QStringLiteral("a.csv") << QByteArray(4096, ' ') + "<OFX>" << csv;
        QTest::newRow("ofx before qif name") << QStringLiteral("a.qif") << QByteArray("<OFX>") << ofx;
        QTest::newRow("qif by name") << QStringLiteral("a.QIF") << QByteArray("x") << qif;
        QTest::newRow("qif type") << QStringLiteral("a.txt") << QByteArray("\r\n  !Type:Bank\n") << qif;
        QTest::newRow("qif option") << QStringLiteral("a") << QByteArray("!Option:AutoSwitch") << qif;
        QTest::newRow("type not first") << QStringLiteral("a.txt") << QByteArray("x\n!Type:Bank") << csv;
        QTest::newRow("qif file holding ofx") << QStringLiteral("a.txt") << QByteArray("!Type:Bank\nOFXHEADER") << ofx;
        QTest::newRow("no suffix") << QStringLiteral("statement") << QByteArray("a,b") << csv;
    }
    void statementFormat()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(int, format);
        QCOMPARE(int(::statementFormat(file, bytes)), format);
    }

    void amountsAndDates()
    {
        const char* amounts[][2] = {
            {"¥1,234.56", "1234.56"},
            {"-12.50", "-12.50"},
            {"(12.50)", "-12.50"},
            {"（12.50）", "-12.50"},
            {"12.50-", "-12.50"},
            {"￥ -0.5", "-0.50"},
            {"-￥8", "-8.00"},
            {"RMB 88", "88.00"},
            {"12.5元", "12.50"},
            {".5", "0.50"},
            {"12.500", "12.50"},
            {"99999999.99", "99999999.99"},
            {"", "缺少金额"},
            {" - ", "缺少金额"},
            {"12,34", "金额无效"},
            {"1,2345.00", "金额无效"},
            {"-(1.00)", "金额无效"},
            {"(1.00", "金额无效"},
            {"1e5", "金额无效"},
            {"１２", "金额无效"},
            {"1.005", "金额超过两位小数"},
            {"100000000.00", "金额超出范围"},
            {"99999999999999999999", "金额超出范围"},
        };
        for (const auto& [text, expected] : amounts) {
            Money value = Money::fromRaw(1);
            const QString error = statementAmount(QString::fromUtf8(text), &value);
            QCOMPARE(error.isEmpty() ? value.twoDecimals() : error, QString::fromUtf8(expected));
        }
        const char* dates[][2] = {
            {"2026-12-09", "2026-12-09"},
            {"2026/12/9", "2026-12-09"},
            {"2026-12-09 08:15:00", "2026-12-09"},
            {"20261209", "2026-12-09"},
            {"2026年12月9日", "2026-12-09"},
            {"2026.12.09", "2026-12-09"},
            {"2026-12-09T08:15", "2026-12-09"},
            {"20261209 081500", "2026-12-09"},
            {"2026-02-30", ""},
            {"2026-12-09 25:00", ""},
            {"12/09/2026", ""},
            {"202612", ""},
            {"", ""},
        };
        for (const auto& [text, expected] : dates)
            QCOMPARE(statementDate(QString::fromUtf8(text)).toString(Qt::ISODate), QString::fromUtf8(expected));

        StatementLine line;
        line.line = 8;
        line.error = QStringLiteral("日期无效");
        QCOMPARE(unreadableStatus(line), QStringLiteral("无法读取：日期无效（第8行）"));
    }

    // Each tests/data/import/NAME.csv against NAME.lines: the preview's line
    // number, date, amount, 收支 and 状态 of every line, and the remark an
    // import writes; "skipped N" for the report lines above the titles,
    // "nothing readable" for a file that is no statement.
    void samples_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString& file :
             QDir(QStringLiteral(JIZHANG_SOURCE_DIR "/tests/data/import")).entryList({QStringLiteral("*.lines")}))
            QTest::newRow(qPrintable(file)) << file.chopped(6);
    }
    void samples()
    {
        QFETCH(QString, name);
        QStringList expected;
        int skipped = 0;
        bool nothing = false;
        for (const QString& l : QString::fromUtf8(dataFile(name + QStringLiteral(".lines"))).split(u'\n')) {
            if (l.trimmed().isEmpty() || l.startsWith(u'#'))
                continue;
            if (l.startsWith(u"skipped "))
                skipped = l.mid(8).toInt();
            else if (l.trimmed() == u"nothing readable")
                nothing = true;
            else
                expected << l.trimmed();
        }
        const CsvTable table = readCsv(dataFile(name + QStringLiteral(".csv")));
        if (nothing) {
            QCOMPARE(table.header, QStringList());
            return;
        }
        QCOMPARE(table.skippedLines, skipped);
        PreviewInput in;
        in.lines = mapCsv(table, proposeMapping(table.header));
        PreviewModel model;
        model.setRows(buildPreview(in));
        QStringList actual;
        for (int r = 0; r < model.rowCount(); ++r) {
            QStringList fields{QString::number(model.rows()[r].line.line)};
            for (int c : {PreviewModel::ColDate, PreviewModel::ColAmount, PreviewModel::ColKind})
                fields << model.index(r, c).data().toString();
            for (QString& f : fields)
                f = f.isEmpty() ? QStringLiteral("-") : f;
            fields << model.statusText(r);
            if (importable(model.rows()[r])) {
                const StatementLine& l = model.rows()[r].line;
                fields << importRemark(l.counterparty, l.memo, l.note).replace(u'\n', QStringLiteral("\\n"));
            }
            actual << fields.join(QStringLiteral(" | "));
        }
        QCOMPARE(actual, expected);
    }

    // The encoding list overrides the guess; two amount columns both filled
    // are no guess; a 收/支 column decides over a sign; 正数为支出 turns the kinds.
    void csvOptions()
    {
        const QByteArray gbk = dataFile(QStringLiteral("bank_gbk.csv"));
        QCOMPARE(csvLines(gbk, Encoding::Gbk), csvLines(gbk));
        QCOMPARE(readCsv(gbk, Encoding::Utf8).header, QStringList());  // no text in that encoding

        const QByteArray both = "d,in,out,amt,dir\n20261201,5.00,6.00,-7,收\n";
        QCOMPARE(describe(mapCsv(readCsv(both), mapping(0, -1, 1, 2, -1, -1, -1))),
                 QStringList{QStringLiteral("2 收入和支出都有金额")});
        QCOMPARE(describe(mapCsv(readCsv(both), mapping(0, 3, -1, -1, 4, -1, -1))),
                 QStringList{QStringLiteral("2 2026-12-01 收7.00 |")});

        const CsvTable table = readCsv(dataFile(QStringLiteral("signed.csv")));
        CsvMapping m = proposeMapping(table.header);
        const QList<StatementLine> lines = mapCsv(table, m);
        m.positiveIsExpense = true;
        const QList<StatementLine> turned = mapCsv(table, m);
        QCOMPARE(turned.size(), lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QCOMPARE(turned[i].error, lines[i].error);
            QCOMPARE(turned[i].amount, lines[i].amount);
            if (lines[i].error.isEmpty())
                QVERIFY(turned[i].kind != lines[i].kind);
        }
    }

    // A 10 MB line is one unreadable line, read in well under a second, and
    // the lines after it are read; a progress callback can stop the read.
    void longLinesAndCancel()
    {
        QByteArray bytes = "日期,金额,摘要\n2026-12-01,-1,a\n2026-12-02,-2," + QByteArray(10 << 20, 'x')
                           + "\n\"2026-12-03\",-3,\"" + QByteArray(70000, 'y') + "\n2026-12-04,-4,d\n";
        QElapsedTimer clock;
        clock.start();
        const CsvTable table = readCsv(bytes);
        QCOMPARE(describe(mapCsv(table, proposeMapping(table.header))),
                 (QStringList{QStringLiteral("2 2026-12-01 支1.00 a|"), QStringLiteral("3 该行过长"),
                              QStringLiteral("4 该行过长"), QStringLiteral("5 2026-12-04 支4.00 d|")}));
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));

        int calls = 0;
        const CsvTable stopped = readCsv(bytes, Encoding::Auto, [&](qint64, qint64) { return ++calls < 3; });
        QVERIFY(stopped.cancelled && stopped.header.isEmpty() && stopped.rows.isEmpty());
    }

    void csvSplitting()
    {
        // Semicolons, tabs, and UTF-16 text as spreadsheets save it.
        QCOMPARE(readCsv("a;b;c\n1;2;3\n").delimiter, QChar(u';'));
        QStringEncoder utf16(QStringEncoder::Utf16LE);
        const QByteArray unicodeText = "\xFF\xFE" + QByteArray(utf16.encode(u"日期\t金额\r\n2026/12/9\t-5\r\n"));
        const CsvTable tabbed = readCsv(unicodeText);
        QCOMPARE(tabbed.delimiter, QChar(u'\t'));
        QCOMPARE(describe(mapCsv(tabbed, proposeMapping(tabbed.header))),
                 QStringList{QStringLiteral("2 2026-12-09 支5.00 |")});

        // A quote left open costs its own row only; empty rows are left out;
        // ="…" cells lose their wrapping.
        const CsvTable broken = readCsv("日期,金额,备注\n\n=\"20261203\",=\"-3\",\"x\" \n"
                                        "2026-12-01,-1.00,\"坏\n2026-12-02,-2.00,好\n,,\n");
        QCOMPARE(describe(mapCsv(broken, proposeMapping(broken.header))),
                 (QStringList{QStringLiteral("3 2026-12-03 支3.00 x|"), QStringLiteral("4 引号未闭合"),
                              QStringLiteral("5 2026-12-02 支2.00 好|")}));

        // The titles, not the widest row, are the header; without known titles
        // the first of the widest rows is; without a date or an amount mapped
        // there is nothing to show.
        QCOMPARE(readCsv("title\nx,y\n日期,金额\n2026-12-01,1,2\n").headerLine, 3);
        const CsvTable twoWide = readCsv("title\nx,y\n甲,乙\n2026-12-01,1\n");
        QCOMPARE(twoWide.headerLine, 2);
        QCOMPARE(twoWide.rows.size(), 2);
        QVERIFY(mapCsv(twoWide, mapping(0, -1, -1, -1, -1, -1, -1)).isEmpty());
        QVERIFY(mapCsv(twoWide, mapping(-1, 1, -1, -1, -1, -1, -1)).isEmpty());
        QCOMPARE(readCsv("").headerLine, 0);
    }

    // QIF and OFX: every line as the import page gets it.
    void qifAndOfx_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("encoding");  // QIF only
        QTest::addColumn<QStringList>("lines");
        const int autoEnc = int(Encoding::Auto);
        // Category, account and memorized lists skipped, the opening balance
        // left out, a split once with its total, a bad date in the middle.
        QTest::newRow("checking.qif") << dataFile(QStringLiteral("checking.qif")) << autoEnc
                                      << QStringList{
                                             QStringLiteral("18 2026-12-09 支12.50 豆浆油条|老王早餐店"),
                                             QStringLiteral("23 2026-12-10 收8500.00 十二月工资|杭州明远科技有限公司"),
                                             QStringLiteral("29 2026-12-11 支356.20 年货|永辉超市 拆分"),
                                             QStringLiteral("40 日期无效"),
                                             QStringLiteral("44 2026-12-14 支45.00 打车|滴滴出行"),
                                             QStringLiteral("55 2026-12-15 支99.00 年度会员|视频网站"),
                                         };
        // GBK; 18/12 tells that the day comes first, for 05/12 and 3/1 too.
        const QStringList dayFirst = {
            QStringLiteral("2 2026-12-05 支15.00 买菜|菜市场"),
            QStringLiteral("7 2026-12-18 支6.00 |公交"),
            QStringLiteral("11 2027-01-03 收100.00 |压岁钱"),
        };
        QTest::newRow("cash_gbk.qif") << dataFile(QStringLiteral("cash_gbk.qif")) << autoEnc << dayFirst;
        QTest::newRow("cash_gbk.qif as GBK")
            << dataFile(QStringLiteral("cash_gbk.qif")) << int(Encoding::Gbk) << dayFirst;
        // Nothing tells: month first.
        QTest::newRow("month first") << QByteArray("!Type:Bank\nD05/12/2026\nT-1\n^\nD3/1' 7\nT2\n^\n") << autoEnc
                                     << QStringList{QStringLiteral("2 2026-05-12 支1.00 |"),
                                                    QStringLiteral("5 2007-03-01 收2.00 |")};
        // 1.x with CHARSET 936 (GBK bytes), a credit card, unclosed leaf tags,
        // time zones after the day, a bare '&' and an entity.
        QTest::newRow("card_v1.ofx") << dataFile(QStringLiteral("card_v1.ofx")) << autoEnc
                                     << QStringList{
                                            QStringLiteral("37 2026-12-09 支268.00 朋友聚餐|海底捞火锅|CC202612090001"),
                                            QStringLiteral(
                                                "45 2026-12-10 支59.90 袜子 & 围巾|M&S 玛莎百货|CC202612100002"),
                                            QStringLiteral("53 日期无效"),
                                            QStringLiteral("60 2026-12-12 收500.00 感谢您的还款|还款|CC202612120004"),
                                        };
        QTest::newRow("CHARSET 1252.ofx")
            << QByteArray("OFXHEADER:100\nCHARSET:1252\n\n<OFX><STMTTRN><DTPOSTED>20261209<TRNAMT>-4.20"
                          "<NAME>Caf\xe9 M\xfcller</STMTTRN></OFX>")
            << autoEnc << QStringList{QStringLiteral("4 2026-12-09 支4.20 |Café Müller")};
        // 2.x: entities, character references, CDATA, the name inside PAYEE,
        // a decimal comma, an amount that is no number.
        QTest::newRow("bank_v2.ofx")
            << dataFile(QStringLiteral("bank_v2.ofx")) << autoEnc
            << QStringList{
                   QStringLiteral("25 2026-12-01 收8500.00 工资 <十二月>|杭州明远科技有限公司|20261201-0001"),
                   QStringLiteral("33 2026-12-05 支1299.00 电脑配件|京东商城|20261205-0002"),
                   QStringLiteral("41 金额无效"),
                   QStringLiteral("48 2026-12-07 支3.50 乘车 <2号线>|地铁|20261207-0004"),
               };
    }
    void qifAndOfx()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, encoding);
        QFETCH(QStringList, lines);
        const bool ofx = QByteArray(QTest::currentDataTag()).endsWith(".ofx");
        QCOMPARE(describe(ofx ? readOfx(bytes) : readQif(bytes, Encoding(encoding))), lines);
    }
};

QTEST_GUILESS_MAIN(TstReaders)
#include "tst_readers.moc"
