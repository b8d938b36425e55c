#pragma once
// Import of bank and wallet statements (CSV, QIF, OFX): the file, the
// mapping of a CSV's columns, the account and default categories, a preview
// of every line with its status, the import, and the past imports with undo.

#include "import/CsvReader.h"
#include "ui/Page.h"

class DataGrid;
class LookupCombo;
class PreviewModel;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QStandardItemModel;

class Tf_daoru : public Page {
    Q_OBJECT
public:
    explicit Tf_daoru(QWidget* parent = nullptr);

public slots:
    void FormCreate();
    void Button1Click();  // 浏览
    void Button2Click();  // 读取
    void Button3Click();  // 导入
    void Button4Click();  // 撤销导入

private:
    enum class Kind { None, Csv, Qif, Ofx };
    static constexpr int kMappings = 7;

    void buildFileRow();
    void buildMappingRow();
    void buildAccountRow();
    void buildGrids();
    // The lines of the file read last, as the current mapping sees them.
    QList<StatementLine> currentLines() const;
    // Builds the preview again (statuses, categories, 导入); false after a failure was shown.
    bool rebuildPreview();
    bool loadCategories();
    bool loadImports();
    CsvMapping mapping() const;
    void fillMappingLists(const QStringList& header, const CsvMapping& proposed);
    Encoding encoding() const;

    QLineEdit* m_path;                 // Edit1
    QComboBox* m_encoding;             // ComboBox8
    QCheckBox* m_positiveIsExpense;    // CheckBox1
    QComboBox* m_map[kMappings];       // ComboBox1..7: 日期 金额 收入 支出 收支 摘要 对方
    LookupCombo* m_account;            // DBLookupComboboxEh1
    LookupCombo* m_expense;            // DBLookupComboboxEh2
    LookupCombo* m_income;             // DBLookupComboboxEh3
    PreviewModel* m_preview;
    DataGrid* m_previewGrid;           // DBGridEh1
    QStandardItemModel* m_imports;
    DataGrid* m_importGrid;            // DBGridEh2

    Kind m_kind = Kind::None;
    QString m_file;                    // the file read last
    QByteArray m_bytes;
    CsvTable m_csv;
    QList<StatementLine> m_lines;      // QIF and OFX lines
    bool m_filling = false;            // lists being filled: no preview yet
};
