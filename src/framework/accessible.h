#pragma once

// What assistive technology (screen readers and the like, through Qt's accessibility bridge)
// learns of our own controls. Qt describes its own widgets; ours are plain QWidgets to it, which
// a screen reader would meet as nameless "filler" with nothing to press. So each control of the
// framework gets an interface of its own:
//
//   TSpeedButton  a push button named by its caption, its hint as description, a press action
//   TLabel        static text, or a link with a press action when it has a click handler
//   TPanel        a pane named by its caption; a status panel is a status that announces its
//                 text (TPanel::AccessibleText) whenever that changes
//   TImage        a graphic; its name and description are the widget's accessible ones
//   THintWindow   a tool-tip named by its text
//
// A press through the interface does not run the handler inside the call: the handler may open
// a modal window, whose loop must not run inside the request of the assistive technology
// (which would wait for its answer until the window closes). It is queued instead and runs
// from the event loop right after, as Qt's own buttons do with an animated click.

class QAbstractItemView;

// Registers the interfaces above with Qt's accessibility, once per process. Each control calls
// it in its constructor, so that no interface is asked for before it is in place.
void InstallAccessibleControls();

// Makes assistive technology see `view` as a table of its model's rows and columns, with a
// header row of column headers, instead of the tree that Qt presents a QTreeView as. For flat
// views whose rows have no children. Call it in the view's constructor.
void PresentAsTable(QAbstractItemView* view);
