// The retitle dialog's preview: one row per page with its file, its title now, its new
// title, what will happen to it and the warnings about the result.
#pragma once

#include "retitle_model.h"

#include <QAbstractTableModel>
#include <vector>

class TRetitlePreviewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        FileColumn,
        OldTitleColumn,
        NewTitleColumn,
        ActionColumn,
        WarningsColumn,
        ColumnCount
    };

    // `pages` must outlive the model.
    TRetitlePreviewModel(const std::vector<titora::RetitlePage>& pages, QObject* parent = nullptr);

    // Shows `plans`, one per page, in one reset.
    void SetPlans(std::vector<titora::PagePlan> plans);
    const std::vector<titora::PagePlan>& Plans() const { return plans_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const std::vector<titora::RetitlePage>& pages_;
    std::vector<titora::PagePlan> plans_;
};
