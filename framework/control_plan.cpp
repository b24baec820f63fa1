// DOM:CONTROL's decision (see control_plan.h).
#include "framework/control_plan.h"

#include <algorithm>

namespace lysora {
namespace {

constexpr int kWidthStep = 20, kWidthMax = 300;
constexpr int kPixelsPerChar = 10, kPixelsPerDigit = 7, kEditPadding = 10;
constexpr int kLogicalWidth = 50, kLogicalChars = 3; // "Oui" / "Non"
constexpr int kDateWidth = 80, kDateChars = 10;       // "dd/mm/yyyy"
constexpr int kLinesHeight = 48;
constexpr int kListPadding = 20, kListWithTextsMin = 250;

// The edit of a plain field of the domain's type letter.
ControlSpec PlainControl(const DOM& dom)
{
    ControlSpec spec;
    int width = 0;
    if (dom.TYP() == "N") {
        spec.kind = ControlClass::EDIT_NUM;
        width = dom.LEN() * kPixelsPerChar + kEditPadding;
        spec.nbcar = dom.LEN();
    } else if (dom.TYP() == "L") {
        width = kLogicalWidth;
        spec.nbcar = kLogicalChars;
    } else if (dom.TYP() == "D") {
        spec.kind = ControlClass::EDIT_DAT;
        width = kDateWidth;
        spec.nbcar = kDateChars;
    } else {
        spec.kind = dom.NUM() ? ControlClass::EDIT_CARNUM : ControlClass::EDIT;
        width = dom.LEN() * kPixelsPerChar + kEditPadding;
        spec.nbcar = dom.LEN();
    }
    if (dom.NUM())
        width = dom.LEN() * kPixelsPerDigit + kEditPadding;
    spec.width = RoundControlWidth(width);
    spec.len = dom.LEN();
    spec.dec = dom.DEC();
    return spec;
}

} // namespace

int RoundControlWidth(int width)
{
    width = (width + kWidthStep - 1) / kWidthStep * kWidthStep;
    return std::min(width, kWidthMax);
}

ControlSpec PlanControl(DOM& dom)
{
    ControlSpec spec = PlainControl(dom);
    switch (dom.Form()) {
    case ValueForm::Plain: break;
    case ValueForm::UpperCase: spec.upperCase = true; break;
    case ValueForm::Lines:
        spec.multiLine = true;
        spec.height = kLinesHeight;
        break;
    case ValueForm::Colour: spec.kind = ControlClass::CTL_COLOR; break;
    case ValueForm::Flag: spec.kind = ControlClass::CTL_BOOL; break;
    case ValueForm::List: {
        spec.kind = ControlClass::COMBO;
        auto* list = dynamic_cast<DOM_CARLST*>(&dom);
        if (!list)
            break;
        list->LoadLists();
        if (list->ListWidth() > 0) {
            spec.width = list->ListWidth();
        } else {
            spec.width = RoundControlWidth(dom.LEN() * kPixelsPerChar + kListPadding);
            if (!list->Texts().empty())
                spec.width = std::max(spec.width, kListWithTextsMin);
        }
        break;
    }
    }
    return spec;
}

} // namespace lysora
