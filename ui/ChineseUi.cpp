#include "ui/ChineseUi.h"

#include "ui/Theme.h"

#include <QApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFont>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QTreeView>

namespace {

QString ChineseFileType(bool folder, const QString& suffix)
{
    if (folder)
        return QStringLiteral("文件夹");
    return suffix.isEmpty() ? QStringLiteral("文件") : QStringLiteral("%1 文件").arg(suffix.toUpper());
}

QString ChineseFileTime(const QDateTime& time)
{
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QString();
}

// Puts the detail columns of a file dialog into Chinese.
class ChineseFileModel : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || index.column() < 1 || index.column() > 3)
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        const bool folder = files->isDir(source);
        switch (index.column()) {
        case 1: return folder ? QString() : ChineseFileSize(files->size(source));
        case 2: return ChineseFileType(folder, files->fileInfo(source).suffix());
        default: return ChineseFileTime(files->lastModified(source));
        }
    }
};

// Gives every file dialog of the program the Chinese columns as it shows.
class FileDialogLocalizer : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            if (auto* dialog = qobject_cast<QFileDialog*>(watched);
                dialog && dialog->testOption(QFileDialog::DontUseNativeDialog) && !dialog->proxyModel()) {
                dialog->setProxyModel(new ChineseFileModel(dialog));
                // The columns fit the Chinese texts rather than the widths
                // the dialog chose for its own.
                if (auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView")))
                    for (int c = 1; c <= 3; ++c)
                        view->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
            }
        return false;
    }
};

}  // namespace

QString ChineseFileSize(qint64 bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 字节").arg(bytes);
    static const char* const units[] = {"KB", "MB", "GB", "TB"};
    double size = double(bytes) / 1024;
    int unit = 0;
    for (; size >= 1024 && unit < 3; ++unit)
        size /= 1024;
    return QStringLiteral("%1 %2").arg(QLocale().toString(size, 'f', 1), QLatin1String(units[unit]));
}

void InstallChineseUi(QApplication& app)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    for (const char* family : {"宋体", "SimSun", "黑体", "SimHei", "Microsoft YaHei", "微软雅黑", "MS Sans Serif"})
        QFont::insertSubstitutions(QString::fromUtf8(family), Theme::cjkFamilies);
    auto* qtbase = new QTranslator(&app);
    if (qtbase->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(qtbase);
    app.installEventFilter(new FileDialogLocalizer(&app));
}
