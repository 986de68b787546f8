// The view fields of the main dialog, the Plot command and the mode switch.
#include <cstdio>
#include <cstdlib>

#include "app/graphapp.h"
#include "plot/plot_checks.h"
#include "res/resource.h"
#include "win/number_field.h"

namespace {

const int kEquationIds[8] = {IDC_EQUATION1, IDC_EQUATION2, IDC_EQUATION3, IDC_EQUATION4,
                             IDC_EQUATION5, IDC_EQUATION6, IDC_EQUATION7, IDC_EQUATION8};
const int kLabelIds[8] = {IDC_LABEL1, IDC_LABEL2, IDC_LABEL3, IDC_LABEL4,
                          IDC_LABEL5, IDC_LABEL6, IDC_LABEL7, IDC_LABEL8};

// Slot labels by mode: Rectangular, Parametric, Polar.
const char* const kSlotLabels[3][8] = {
    {"y1=f(x)", "y2=f(x)", "y3=f(x)", "y4=f(x)", "y5=f(x)", "y6=f(x)", "y7=f(x)", "y8=f(x)"},
    {"x1=f(t)", "y1=f(t)", "x2=f(t)", "y2=f(t)", "x3=f(t)", "y3=f(t)", "x4=f(t)", "y4=f(t)"},
    {"r=f(t)", "r=f(t)", "r=f(t)", "r=f(t)", "r=f(t)", "r=f(t)", "r=f(t)", "r=f(t)"},
};

// The text a number field shows for `value`.
std::string NumberText(double value) {
    char text[kNumberTextSize];
    snprintf(text, sizeof text, "%f", value);
    return text;
}

const int kNumberIds[6] = {IDC_X_MIN, IDC_X_MAX, IDC_Y_MIN, IDC_Y_MAX, IDC_START, IDC_STOP};

} // namespace

void SetFieldNumber(HWND dialog, int id, double value) {
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        return;
    SetWindowTextA(control, NumberText(value).c_str());
}

double GetFieldNumber(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        return 0;
    // The leading number, whatever follows it (as atof reads it).
    double value = 0;
    ReadFieldNumber(control, value);
    return value;
}

std::string GetFieldText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        return std::string();
    char text[1000] = {};
    GetWindowTextA(control, text, sizeof text);
    return text;
}

bool GraphApp::SetViewRange(double xMin, double xMax, double yMin, double yMax, bool redraw) {
    if (!plotter.SetRange(xMin, xMax, yMin, yMax))
        return false;
    SetFieldNumber(mainDialog, IDC_X_MIN, xMin);
    SetFieldNumber(mainDialog, IDC_X_MAX, xMax);
    SetFieldNumber(mainDialog, IDC_Y_MIN, yMin);
    SetFieldNumber(mainDialog, IDC_Y_MAX, yMax);
    if (redraw) {
        Render();
        RefreshGraph();
        RefreshRulers();
    }
    return true;
}

bool GraphApp::SetStepRange(double start, double stop, bool redraw) {
    plotter.SetStep(start, stop);
    SetFieldNumber(mainDialog, IDC_START, start);
    SetFieldNumber(mainDialog, IDC_STOP, stop);
    if (redraw) {
        Render();
        RefreshGraph();
        RefreshRulers();
    }
    return true;
}

bool GraphApp::ReadRange() {
    const double xMin = GetFieldNumber(mainDialog, IDC_X_MIN);
    const double xMax = GetFieldNumber(mainDialog, IDC_X_MAX);
    const double yMin = GetFieldNumber(mainDialog, IDC_Y_MIN);
    const double yMax = GetFieldNumber(mainDialog, IDC_Y_MAX);
    if (SetViewRange(xMin, xMax, yMin, yMax, false))
        return true;
    Message(kInvalidRange, kErrorCaption, MB_ICONWARNING);
    return false;
}

// A start or stop that is not a finite number (typed nan or 1e999) is
// refused; any finite pair is taken, a start above the stop included.
bool GraphApp::ReadStep() {
    const double start = GetFieldNumber(mainDialog, IDC_START);
    const double stop = GetFieldNumber(mainDialog, IDC_STOP);
    if (auto refusal = CheckStep(start, stop)) {
        Message(refusal->text.c_str(), refusal->caption.c_str(), MB_ICONWARNING);
        return false;
    }
    return SetStepRange(start, stop, false);
}

bool GraphApp::ReadEquations() {
    EquationSlots texts;
    for (int i = 0; i < 8; ++i)
        texts[i] = GetFieldText(mainDialog, kEquationIds[i]);
    if (auto refusal = model.AcceptEquations(std::move(texts))) {
        Message(refusal->text.c_str(), refusal->caption.c_str(), MB_ICONWARNING);
        return false;
    }
    return true;
}

bool GraphApp::PlotCommand() {
    if (!ReadRange())
        return false;
    if (plotter.mode != Rectangular && !ReadStep())
        return false;
    if (!ReadEquations())
        return false;
    Render();
    RefreshGraph();
    RefreshRulers();
    return true;
}

std::array<std::string, 14> GraphApp::FieldTexts() const {
    std::array<std::string, 14> texts;
    for (int i = 0; i < 8; ++i)
        texts[i] = GetFieldText(mainDialog, kEquationIds[i]);
    for (int i = 0; i < 6; ++i)
        texts[8 + i] = GetFieldText(mainDialog, kNumberIds[i]);
    return texts;
}

bool GraphApp::FieldsShowGraph() const {
    const std::array<std::string, 14> texts = FieldTexts();
    for (int i = 0; i < 8; ++i)
        if ((IsBlank(texts[i]) ? std::string() : texts[i]) != equations[i])
            return false;
    const double shown[6] = {plotter.xMin, plotter.xMax,   plotter.yMin,
                             plotter.yMax, plotter.tStart, plotter.tStop};
    // Plot reads the step fields only outside Rectangular mode.
    const int numbers = plotter.mode == Rectangular ? 4 : 6;
    for (int i = 0; i < numbers; ++i)
        if (texts[8 + i] != NumberText(shown[i]))
            return false;
    return true;
}

void GraphApp::SetEquationField(int slot, const std::string& text) {
    SetDlgItemTextA(mainDialog, kEquationIds[slot], text.c_str());
}

void GraphApp::SetGraphMode(int32_t mode) {
    const int column = mode == Rectangular ? 0 : mode == Parametric ? 1 : 2;
    for (int i = 0; i < 8; ++i)
        SetDlgItemTextA(mainDialog, kLabelIds[i], kSlotLabels[column][i]);
    for (int id : {IDC_START, IDC_STOP})
        if (HWND field = GetDlgItem(mainDialog, id))
            EnableWindow(field, mode != Rectangular);
    if (mode != plotter.mode) {
        for (int id : kEquationIds)
            SetDlgItemTextA(mainDialog, id, "");
        ReadEquations();
    }
    if (HMENU menu = frameWindow ? GetMenu(frameWindow) : nullptr)
        CheckMenuRadioItem(menu, IDM_RECTANGULAR, IDM_POLAR,
                           mode == Rectangular  ? IDM_RECTANGULAR
                           : mode == Parametric ? IDM_PARAMETRIC
                                                : IDM_POLAR,
                           MF_BYCOMMAND);
    plotter.SetMode(static_cast<GraphMode>(mode));
    session.Changed();
}

void GraphApp::GetOptions(GraphOptions& options) const {
    static_cast<GraphStyle&>(options) = model.style;
    options.mode = plotter.mode;
}

void GraphApp::ApplyOptions(const GraphOptions& options) {
    SetGraphMode(options.mode);
    model.style = options;
    session.Changed();
}
