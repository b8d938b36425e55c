// The statement readers on any bytes: the first byte picks the reader (CSV
// with the proposed and with an arbitrary mapping, QIF, OFX) and the
// encoding, the rest is the file. Whatever the file, a reader ends, its lines
// come in file order with line numbers inside the file, and every line is
// either readable (a valid date, 0 < amount <= 99999999.99 with at most two
// decimals) or carries its reason.
#include "import/CsvReader.h"
#include "import/OfxReader.h"
#include "import/QifReader.h"
#include "tests/fuzz/Fuzz.h"

FUZZ_RUNS(30000);

namespace {

void checkLines(const QList<StatementLine>& lines, int fileLines, const char* reader)
{
    int last = 0;
    for (const StatementLine& l : lines) {
        Fuzz::check(l.line >= 1 && l.line <= fileLines && l.line >= last, [&] {
            return QStringLiteral("%1: line number %2 after %3 in a file of %4 lines")
                .arg(QString::fromLatin1(reader))
                .arg(l.line)
                .arg(last)
                .arg(fileLines);
        });
        last = l.line;
        if (!l.error.isEmpty()) {
            const QString status = unreadableStatus(l);
            Fuzz::check(status.startsWith(QStringLiteral("无法读取："))
                            && status.endsWith(QStringLiteral("（第%1行）").arg(l.line)),
                        [&] { return QStringLiteral("%1: status %2").arg(QString::fromLatin1(reader), status); });
            continue;
        }
        Fuzz::check(l.date.isValid(), [&] {
            return QStringLiteral("%1: a readable line without a date").arg(QString::fromLatin1(reader));
        });
        Fuzz::check(l.amount > Money() && l.amount <= kMaxRecordAmount && l.amount.raw() % 100 == 0,
                    [&] { return QStringLiteral("%1: amount %2").arg(QString::fromLatin1(reader), l.amount.plain()); });
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t pick = data[0];
    const QByteArray file(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    // Lines end with LF, CR LF or a lone CR; a record may start after the last end.
    int fileLines = 1;
    for (qsizetype i = 0; i < file.size(); ++i)
        if (file[i] == '\n' || (file[i] == '\r' && (i + 1 == file.size() || file[i + 1] != '\n')))
            ++fileLines;
    const Encoding enc = static_cast<Encoding>((pick >> 2) % 3);
    switch (pick % 4) {
    case 0: {
        const CsvTable table = readCsv(file, enc);
        checkLines(mapCsv(table, proposeMapping(table.header)), fileLines, "csv");
        break;
    }
    case 1: {
        // Any columns for any field, including ones past the row's end.
        const CsvTable table = readCsv(file, enc);
        CsvMapping m;
        int* fields[]
            = {&m.date, &m.amount, &m.income, &m.expense, &m.direction, &m.memo, &m.counterparty, &m.remark, &m.status};
        for (int i = 0; i < 9; ++i)
            *fields[i] = int((pick >> 4) + i * 3) % 9 - 1;
        m.positiveIsExpense = pick & 0x80;
        checkLines(mapCsv(table, m), fileLines, "csv mapped");
        break;
    }
    case 2: checkLines(readQif(file, enc), fileLines, "qif"); break;
    default: checkLines(readOfx(file), fileLines, "ofx"); break;
    }
    return 0;
}
