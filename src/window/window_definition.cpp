#include "window_definition.h"

#include "framework/flatbutton.h"
#include "framework/panel.h"
#include "framework/picture.h"

#include <QVariant>
#include <QWidget>
#include <stdexcept>
#include <utility>

namespace {

TPanel::TBevel BevelByName(const QString& name) {
    if (name == QLatin1String("None"))
        return TPanel::TBevel::None;
    if (name == QLatin1String("Lowered"))
        return TPanel::TBevel::Lowered;
    if (name == QLatin1String("Raised"))
        return TPanel::TBevel::Raised;
    throw std::invalid_argument("Unknown bevel " + name.toStdString());
}

void ApplyTo(QWidget* widget) {
    const QVariant caption = widget->property("caption");
    const QVariant fontColor = widget->property("fontColor");
    const QVariant bevelOuter = widget->property("bevelOuter");
    const QVariant picture = widget->property("picture");
    const QVariant color = widget->property("color");

    if (auto* button = qobject_cast<TSpeedButton*>(widget)) {
        if (caption.isValid())
            button->SetCaption(caption.toString());
        if (fontColor.isValid())
            button->SetFontColor(ColorByName(fontColor.toString()));
    }
    if (auto* panel = qobject_cast<TPanel*>(widget)) {
        if (caption.isValid())
            panel->SetCaption(caption.toString());
        if (bevelOuter.isValid())
            panel->SetBevelOuter(BevelByName(bevelOuter.toString()));
        if (color.isValid())
            panel->SetColor(ColorByName(color.toString()));
        return;
    }
    if (auto* image = qobject_cast<TImage*>(widget)) {
        if (picture.isValid())
            image->SetPicture(picture.toString());
    }
    if (color.isValid())
        SetBackgroundColor(*widget, ColorByName(color.toString()));
}

} // namespace

TColor ColorByName(const QString& name) {
    static const std::pair<const char*, TColor> kNames[] = {
        {"clBlack", clBlack},         {"clWhite", clWhite},
        {"clBlue", clBlue},           {"clRed", clRed},
        {"clWindow", clWindow},       {"clWindowText", clWindowText},
        {"clHighlight", clHighlight}, {"clHighlightText", clHighlightText},
        {"clBtnFace", clBtnFace},     {"clBtnShadow", clBtnShadow},
        {"clBtnText", clBtnText},     {"clBtnHighlight", clBtnHighlight},
        {"clInfoText", clInfoText},   {"clInfoBk", clInfoBk},
    };
    for (const auto& [text, value] : kNames)
        if (name == QLatin1String(text))
            return value;
    throw std::invalid_argument("Unknown colour " + name.toStdString());
}

void ApplyWindowDefinition(QWidget* form) {
    ApplyTo(form);
    for (QWidget* child : form->findChildren<QWidget*>())
        ApplyTo(child);
}
