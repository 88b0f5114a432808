#pragma once

// A flat item view as assistive technology sees it once PresentAsTable (framework/accessible.h)
// asked for it: a table whose children are a header row of column headers followed by the
// cells of the model's rows, row by row. The child index of a cell is (row + 1) * columns +
// column, the numbering Qt's item views use in the focus and selection events they send.
//
// Written here rather than taken from Qt: Qt's table interface is private to Qt and cannot be
// reused, and the one Qt gives a QTreeView presents it as a tree, which a list of files is not.

class QAbstractItemView;
class QAccessibleInterface;

QAccessibleInterface* NewAccessibleTable(QAbstractItemView* view);
