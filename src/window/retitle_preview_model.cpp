#include "retitle_preview_model.h"

#include <QBrush>
#include <QColor>

TRetitlePreviewModel::TRetitlePreviewModel(const std::vector<titora::RetitlePage>& pages,
                                           QObject* parent)
    : QAbstractTableModel(parent), pages_(pages) {}

void TRetitlePreviewModel::SetPlans(std::vector<titora::PagePlan> plans) {
    // The rows stay the same pages: only their cells change, so the view keeps its scroll
    // position and current row.
    const bool sameRows = plans.size() == plans_.size();
    if (!sameRows)
        beginResetModel();
    plans_ = std::move(plans);
    if (!sameRows) {
        endResetModel();
        return;
    }
    if (!plans_.empty())
        Q_EMIT dataChanged(index(0, OldTitleColumn), index(rowCount() - 1, WarningsColumn));
}

int TRetitlePreviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(plans_.size());
}

int TRetitlePreviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TRetitlePreviewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return QVariant();
    const titora::PagePlan& plan = plans_[static_cast<std::size_t>(index.row())];
    if (role == Qt::ForegroundRole) {
        const bool alarming =
            (index.column() == ActionColumn && plan.action == titora::RetitleAction::kRefused) ||
            (index.column() == WarningsColumn && plan.warnings != 0);
        return alarming ? QVariant(QBrush(QColor(0xb0, 0, 0))) : QVariant();
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return QVariant();
    switch (index.column()) {
    case FileColumn: {
        const titora::RetitlePage& page = pages_[static_cast<std::size_t>(index.row())];
        const std::string& bytes = role == Qt::ToolTipRole ? page.path() : page.name;
        return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    case OldTitleColumn:
        return plan.oldTitle;
    case NewTitleColumn:
        return plan.newTitle;
    case ActionColumn:
        return role == Qt::ToolTipRole && !plan.message.isEmpty() ? plan.message
                                                                  : titora::ActionText(plan);
    case WarningsColumn:
        return titora::WarningsText(plan.warnings);
    default:
        return QVariant();
    }
}

QVariant TRetitlePreviewModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    static const char* const kHeaders[] = {"File", "Current Title", "New Title", "What Happens",
                                           "Warnings"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(kHeaders[section])
                                                 : QVariant();
}
