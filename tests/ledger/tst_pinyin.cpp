// Quick codes of category names.
#include "ledger/PinYin.h"

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
            {"早餐", "zc"},
            {"餐饮", "cy"},
            {"日用品", "ryp"},
            {"午餐", "wc"},
            {"交通", "jt"},
            // First and last character of every initial's stretch of level one.
            {"啊芭擦搭蛾发噶哈击喀垃妈拿哦啪期然撒塌挖昔压匝", "abcdefghjklmnopqrstwxyz"},
            {"澳怖错堕贰咐过祸骏阔络穆诺沤瀑群弱所唾误迅孕座", "abcdefghjklmnopqrstwxyz"},
            // 0xD1A1 to 0xD1B8 are x, 压 at 0xD1B9 is y.
            {"选癣眩绚靴薛学穴雪血勋熏循旬询寻驯巡殉汛训讯逊迅压", "xxxxxxxxxxxxxxxxxxxxxxxxy"},
            {"KTV", ""},
            {"123", ""},
            // Level two, GBK extension, full-width letters and punctuation.
            {"亍", ""},
            {"丂", ""},
            {"ＡＢ", ""},
            {"，。", ""},
            {"〇", ""},
            {"  早餐 \t", "zc"},
            {"\u3000早餐\u3000", "zc"},
            {"\x01早餐\x7f", "zc"},
            {"\t\n", ""},
            {"", ""},
            // One character at a time, whatever came before it.
            {"A餐", "c"},
            {"AB餐", "c"},
            {"A股", "g"},
            {"K歌", "g"},
            {"1号店", "hd"},
            {"话费充值Q币", "hfczb"},
            {"早 餐", "zc"},
            // Not in GBK: skipped without disturbing the neighbours.
            {"早😀餐", "zc"},
            {"早\u0E01餐", "zc"},
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
        for (int second = 0xA1; second <= 0xB8; ++second) {
            const char bytes[] = {char(0xD1), char(second)};
            QCOMPARE(GetPinyinInitial(QByteArray(bytes, 2)), 'x');
        }
        QCOMPARE(GetPinyinInitial(QByteArray("\xD1\xB9", 2)), 'y');
        QCOMPARE(GetPinyinInitial(QByteArray("\xB0\xA0", 2)), char(0));
        QCOMPARE(GetPinyinInitial(QByteArray("\xD7\xFA", 2)), char(0));
        QCOMPARE(GetPinyinInitial(QByteArray("\xB2", 1)), char(0));
    }

    // Longer than the 25 two-byte characters a name of 50 bytes could hold.
    void longNameHasNoCut()
    {
        const QString name = QStringLiteral("春眠不觉晓处处闻啼鸟夜来风雨声花落知多少床前明月光疑是地上霜");
        QCOMPARE(name.size(), 30);
        QCOMPARE(MakeQuickCode(name), QStringLiteral("cmbjxccwtnylfyshlzdscqmygysdss"));
        QCOMPARE(MakeQuickCode(QStringLiteral("KTV") + name).size(), 30);
    }

    // The delivered sub-categories carry the codes the category pages would give them.
    void seedCodesAreRight()
    {
        QFile f(QStringLiteral(JIZHANG_SOURCE_DIR "/data/seed.sql"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString seed = QString::fromUtf8(f.readAll());
        const qsizetype start
            = seed.indexOf(QStringLiteral("INSERT INTO s_fenlei (f_id, f_class, f_name, f_pinyin) VALUES"));
        QVERIFY(start >= 0);
        const QString block = seed.mid(start, seed.indexOf(u';', start) - start);
        static const QRegularExpression row(QStringLiteral("\\((\\d+), '([SZ])', '([^']+)', '([^']*)'\\)"));
        int n = 0;
        for (auto it = row.globalMatch(block); it.hasNext(); ++n) {
            const auto m = it.next();
            QCOMPARE(m.captured(4), MakeQuickCode(m.captured(3)));
        }
        QCOMPARE(n, int(block.count(u'(')) - 1);  // every row matched, the column list aside
        QVERIFY(n > 20);
    }
};

QTEST_GUILESS_MAIN(TstPinyin)
#include "tst_pinyin.moc"
