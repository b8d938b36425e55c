// Quick codes of category names.
#include "ledger/PinYin.h"
#include "tests/support/TestDb.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

class TstPinyin : public QObject {
    Q_OBJECT
private slots:
    void quickCodes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("code");
        const char* rows[][2] = {
            {"早餐", "zc"}, {"餐饮", "cy"}, {"日用品", "ryp"}, {"午餐", "wc"}, {"交通", "jt"},
            {"学", "x"}, {"选", "x"}, {"雪", "x"}, {"迅", "x"}, {"压", "y"},       // the x/y boundary at 0xD1B9
            {"啊", "a"}, {"座", "z"},                                              // first and last of level one
            {"KTV", ""}, {"123", ""},
            {"亍", ""}, {"ＡＢ", ""}, {"，。", ""},                                // level two, full-width
            {"  早餐 \t", "zc"}, {"\t\n", ""}, {"", ""},
            // One character at a time, whatever came before it.
            {"A餐", "c"}, {"AB餐", "c"}, {"A股", "g"}, {"Q币", "b"}, {"K歌", "g"}, {"话费充值Q币", "hfczb"},
            {"早😀餐", "zc"},                                                      // not in GBK: skipped
        };
        for (const auto& r : rows)
            QTest::newRow(r[0]) << QString::fromUtf8(r[0]) << QString::fromUtf8(r[1]);
    }
    void quickCodes()
    {
        QFETCH(QString, name);
        QFETCH(QString, code);
        QCOMPARE(MakeQuickCode(name), code);
    }

    void initialOfBytes()
    {
        QCOMPARE(GetPinyinInitial(QByteArray("\xD1\xA7", 2)), 'x');   // 学
        QCOMPARE(GetPinyinInitial(QByteArray("\xD1\xB9", 2)), 'y');   // 压
        QCOMPARE(GetPinyinInitial(QByteArray("\xB0\xA0", 2)), char(0));
        QCOMPARE(GetPinyinInitial(QByteArray("\xD7\xFA", 2)), char(0));
        QCOMPARE(GetPinyinInitial(QByteArray("\xCD\x00", 2)), 't');   // the pair a fixed two-byte walk would form
    }

    void longNameHasNoCut()
    {
        const QString name = QString(30, QChar(0x65E9));  // 早 ×30
        QCOMPARE(MakeQuickCode(name), QString(30, u'z'));
    }

    void seedCodesAreRight()
    {
        QFile f(QStringLiteral(JIZHANG_SOURCE_DIR "/data/seed.sql"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString seed = QString::fromUtf8(f.readAll());
        static const QRegularExpression row(QStringLiteral("\\((\\d+), '([SZ])', '([^']+)', '([a-z]*)'\\)"));
        int n = 0;
        for (auto it = row.globalMatch(seed); it.hasNext(); ++n) {
            const auto m = it.next();
            const QString expected = MakeQuickCode(m.captured(3));
            // An empty computed code leaves the stored one as it is.
            if (!expected.isEmpty())
                QCOMPARE(m.captured(4), expected);
        }
        QVERIFY(n > 20);
    }
};

QTEST_GUILESS_MAIN(TstPinyin)
#include "tst_pinyin.moc"
