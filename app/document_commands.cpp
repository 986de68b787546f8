// The window's side of graph documents: the graph as a document, a document
// shown in the fields and the model, and what New and Save ask of the window.
// The session itself (files, the question, the title) is app/document_session.
#include <windows.h>

#include <optional>

#include "app/graphapp.h"
#include "plot/plot_checks.h"
#include "win/text_encoding.h"

GraphDocument GraphApp::ShownDocument() const {
    return model.Document();
}

// The ranges are taken as the document holds them, not read back from the
// fields, whose six decimals would round a small view away: the reader has
// already held them to the Plot command's rules.
void GraphApp::ShowDocument(const GraphDocument& document) {
    model.ClearEquations();
    // The reader has checked the parameters; they come before the
    // equations, which may use them.
    model.SetParameters(document.parameters);
    GraphOptions options;
    static_cast<GraphStyle&>(options) = document.style;
    // Smooth and exact curves are display preferences, not the document's.
    options.smoothCurves = model.style.smoothCurves;
    options.exactCurves = model.style.exactCurves;
    options.mode = document.mode;
    ApplyOptions(options);
    SetViewRange(document.xMin, document.xMax, document.yMin, document.yMax, false);
    SetStepRange(document.tStart, document.tStop, false);
    bool exact = true;
    for (int i = 0; i < 8; ++i) {
        std::string ansi;
        exact = Utf8ToAnsiExactly(document.equations[i], ansi) && exact;
        SetEquationField(i, ansi);
    }
    // A text the fields cannot hold exactly ("ｓｉｎ（ｘ）") is refused as the
    // command line refuses it: the Plot command's checks run on the
    // document's own texts, and the message quotes them. (Such a text is
    // never plain ASCII, so the checks always find it.) A refused equation
    // stays in its field either way, and nothing is plotted.
    std::optional<PlotRefusal> refusal;
    if (!exact) {
        EquationSlots texts = document.equations;
        refusal = AcceptEquations(plotter, texts, model.parameters);
    }
    if (refusal)
        MessageBoxW(frameWindow, Utf8ToWide(refusal->text).c_str(),
                    Utf8ToWide(refusal->caption).c_str(), MB_OK | MB_ICONWARNING);
    else
        ReadEquations(); // a refused equation shows Plot's message
    Render();
    RefreshGraph();
    RefreshRulers();
}

void GraphApp::ClearEquations() {
    for (int i = 0; i < 8; ++i)
        SetEquationField(i, std::string());
    model.ClearEquations();
    // A new document starts without the old one's parameters.
    model.SetParameters({});
    Render();
    RefreshGraph();
}

bool GraphApp::PlotFields() {
    return FieldsShowGraph() || PlotCommand();
}
