// The retitle dialog: a rule (a template, or a find and replace) over the selected pages,
// a preview of every page's new title that follows the typing, and Write. The dialog only
// collects the rule and shows plans and outcomes; the main window writes the pages through
// its busy indicator, with the dialog hidden so that Stop stays in reach, and then shows
// the dialog again with the summary. Its controls come from retitle_dialog.ui.
#pragma once

#include "retitle_model.h"

#include <memory>
#include <QDialog>
#include <QTimer>
#include <vector>

class TRetitlePreviewModel;

namespace Ui {
class TRetitleDialog;
}

class TRetitleDialog : public QDialog {
    Q_OBJECT
public:
    // `pages` must outlive the dialog.
    explicit TRetitleDialog(const std::vector<titora::RetitlePage>& pages,
                            QWidget* parent = nullptr);
    ~TRetitleDialog() override;

    // The plans of the rule the fields hold now; empty while the rule is not valid.
    const std::vector<titora::PagePlan>& Plans() const;
    bool KeepLineBreaks() const;
    void SetKeepLineBreaks(bool keep);
    // Whether the user agreed to write without undo copies (a retitle over kUndoLimit).
    bool KeepUndoCopies() const { return keepUndoCopies_; }

    // After writing: the summary, every failure named, and only Close left.
    void ShowOutcome(const titora::RetitleSummary& summary);

    // Brings the preview up to date at once rather than after the typing pauses.
    void UpdatePreview();

private:
    void createControls();
    void connectHandlers();
    void WriteClicked();

    std::unique_ptr<Ui::TRetitleDialog> ui_;
    const std::vector<titora::RetitlePage>& pages_;
    const std::vector<titora::PageValues> values_;
    TRetitlePreviewModel* preview_ = nullptr;
    QTimer typing_;
    bool keepUndoCopies_ = true;
};
