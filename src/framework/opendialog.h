#pragma once

#include <functional>
#include <optional>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

class QWidget;

// The open dialog: several files, resizable, the file types of a "text|patterns|..." filter.
// Each opening starts with an empty result. After a confirmed choice the dialog keeps the
// selected file type and the first chosen file's full path as the next initial file name.
// A typed name of a missing file is returned like any other.
class TOpenDialog : public QObject {
    Q_OBJECT
public:
    struct FileType {
        QString text;
        QStringList patterns;
    };

    explicit TOpenDialog(QObject* parent = nullptr);

    // Pairs of display text and pattern list, separated by "|"; the patterns of one type are
    // separated by ";". Example: "Pages|*.html;*.htm|All Files(*.*)|*.*".
    void SetFilter(const QString& filter);
    QString Filter() const { return filter_; }
    const std::vector<FileType>& FileTypes() const { return types_; }
    // The filter strings handed to QFileDialog, one per file type.
    QStringList NameFilters() const;
    // The selected file type, counted from 1 as in the filter.
    int FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(int index) { filterIndex_ = index; }
    QString InitialFileName() const { return fileName_; }
    void SetInitialFileName(const QString& path) { fileName_ = path; }

    // Shows the dialog modally. Returns true when the user confirmed a choice.
    bool Execute(QWidget* parent = nullptr);
    // The chosen files as full paths, in the dialog's order.
    QStringList Files() const { return files_; }

    // For benchmarks only: supplies Execute's result without showing a dialog (std::nullopt
    // means cancelled). An empty function brings back the real dialog.
    static void SetResultProvider(std::function<std::optional<QStringList>()> provider);

private:
    QString filter_;
    std::vector<FileType> types_;
    int filterIndex_ = 1;
    QString fileName_;
    QStringList files_;
    // The size the user left the dialog at, for its next opening.
    QSize size_;
};

// Splits a "text|patterns|text|patterns..." filter into file types. A trailing text without
// patterns and a type without any pattern are left out.
std::vector<TOpenDialog::FileType> ParseFileFilter(const QString& filter);
