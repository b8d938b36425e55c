#pragma once
// Import of bank and wallet statements (CSV, QIF, OFX): the file, the
// mapping of a CSV's columns, the account, payer and default categories, a
// preview of every line with its status, the import, and the past imports
// with undo.

#include "import/CsvReader.h"
#include "import/Preview.h"
#include "ui/Page.h"

class DataGrid;
class LookupCombo;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QStandardItemModel;
class ReadProgressWindow;

class Tf_daoru : public Page {
    Q_OBJECT
public:
    explicit Tf_daoru(QWidget* parent = nullptr);

    // How long 读取 runs before its progress window with 取消 shows.
    static constexpr int kProgressDelayMs = 500;
    // Tests shorten it to reach the window with a small file.
    void setProgressDelay(int ms) { m_progressDelayMs = ms; }

public slots:
    void FormCreate();
    void Button1Click();  // 浏览
    void Button2Click();  // 读取
    void Button3Click();  // 导入
    void Button4Click();  // 撤销导入

private:
    enum class Kind { None, Csv, Qif, Ofx };
    static constexpr int kMappings = 9;

    // A statement as read: the page takes it over only when the read went through.
    struct Statement {
        Kind kind = Kind::None;
        QString file;
        QByteArray bytes;
        CsvTable csv;
        QList<StatementLine> lines;  // QIF and OFX lines
    };
    enum class Outcome { Read, NothingReadable, TooBig, Cancelled, DbFailed };

    void buildFileRow();
    void buildMappingRows();
    void buildAccountRow();
    void buildGrids();
    // Reads the file at `path`, or again the bytes read last (another
    // encoding), and shows the statement. A failure is shown and clears the
    // preview and the lists; a cancel leaves the page as it was.
    void readStatement(const QString& path, bool again);
    Outcome read(Statement& s, bool again, ReadProgressWindow& progress, CsvMapping* proposed, QList<PreviewRow>* rows,
                 DbError* error) const;
    // Forgets the lines read: the preview and the mapping lists empty.
    void clearStatement();
    // The lines of the file read last, as the current mapping sees them.
    QList<StatementLine> currentLines() const;
    // The preview rows of `lines` against what the account holds.
    bool previewRows(const QList<StatementLine>& lines, QList<PreviewRow>* rows, DbError* error,
                     const ReadProgress& progress = {}) const;
    // Builds the preview again (statuses, categories, 导入); false after a failure was shown.
    bool rebuildPreview();
    bool loadCategories();
    bool loadImports();
    CsvMapping mapping() const;
    void fillMappingLists(const QStringList& header, const CsvMapping& proposed);
    Encoding encoding() const;

    QLineEdit* m_path;               // Edit1
    QComboBox* m_encoding;           // ComboBox8
    QCheckBox* m_positiveIsExpense;  // CheckBox1
    QComboBox* m_map[kMappings];  // ComboBox1..7, 10, 9: 日期 金额 收入 支出 收支 摘要 对方 备注 状态
    QLabel* m_skipped;            // Label1: report lines skipped above the titles
    LookupCombo* m_account;       // DBLookupComboboxEh1
    LookupCombo* m_payer;         // DBLookupComboboxEh4
    LookupCombo* m_expense;       // DBLookupComboboxEh2
    LookupCombo* m_income;        // DBLookupComboboxEh3
    PreviewModel* m_preview;
    DataGrid* m_previewGrid;  // DBGridEh1
    QStandardItemModel* m_imports;
    DataGrid* m_importGrid;  // DBGridEh2

    Statement m_statement;   // the file read last
    int m_readEncoding = 0;  // the 编码 entry it was read with
    bool m_filling = false;  // lists being filled: no preview yet
    int m_progressDelayMs = kProgressDelayMs;
};
