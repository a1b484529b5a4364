// The Qt window beside the least that any window doing its job must do: opening and
// painting beside an empty window of the same size, and a long paste with the "<<<" button
// beside the four setText calls that show its result. One application for the whole run,
// on Qt's offscreen platform unless another is asked for.
#include "form/clipboard.h"
#include "form/form1.h"
#include "shell/control_table.h"
#include "shell/qt/chinese_font.h"
#include "shell/qt/form1_window.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEvent>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <string_view>
#include <vector>

namespace orvanthe {
namespace {

constexpr std::array visibleFields = {FieldId::Text1, FieldId::Text2, FieldId::Text3,
                                      FieldId::Text4};

QString toQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

QString toQString(std::string_view name) {
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

// The object names of the controls bound to a field and to a command, from the table.
QString controlName(FieldId field) {
    const auto control = std::ranges::find(controls, std::optional(field), &Control::field);
    return control == controls.end() ? QString() : toQString(control->name);
}

QString controlName(CommandId command) {
    const auto control = std::ranges::find(controls, std::optional(command), &Control::command);
    return control == controls.end() ? QString() : toQString(control->name);
}

// ----- Opening

// Notes the first paint event of the widget it watches. A window paints its children in
// the same pass as itself, before the event processing that delivered its paint returns.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* widget) { widget->installEventFilter(this); }

    bool painted() const { return painted_; }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        painted_ = painted_ || event->type() == QEvent::Paint;
        return false;
    }

private:
    bool painted_ = false;
};

// Shows the window, processes events until it has painted, destroys it and lets the
// events of its closing pass. False if it did not paint within a few seconds.
bool openPaintAndClose(std::unique_ptr<QWidget> window) {
    PaintWatch watch(window.get());
    window->show();
    QElapsedTimer waited;
    waited.start();
    while (!watch.painted()) {
        if (waited.elapsed() > 5000) {
            return false;
        }
        QCoreApplication::processEvents();
    }
    window.reset();
    QCoreApplication::processEvents();
    return true;
}

void OpenForm1Window(benchmark::State& state) {
    for (auto _ : state) {
        if (!openPaintAndClose(std::make_unique<Form1Window>())) {
            state.SkipWithError("the window did not paint");
            break;
        }
    }
}

// An empty window with the place and size that Form1Window gives itself.
void OpenEmptyWindow(benchmark::State& state) {
    const QRect geometry = Form1Window().geometry();
    for (auto _ : state) {
        auto window = std::make_unique<QWidget>();
        window->setGeometry(geometry);
        if (!openPaintAndClose(std::move(window))) {
            state.SkipWithError("the window did not paint");
            break;
        }
    }
}

// Opening as the user sees it: a fresh process that starts the application, opens the
// window, paints it and ends, beside one that does the same with an empty window. This
// binary is that process when given --open-once=form1 or --open-once=empty.
constexpr std::string_view openOnce = "--open-once=";

int openOnceAndExit(std::string_view which) {
    QApplication application(
        *new int(1), new char* [1] { const_cast<char*>("window_bench") });
    if (which == "form1") {
        preferSimplifiedChineseFaces();
        return openPaintAndClose(std::make_unique<Form1Window>()) ? 0 : 1;
    }
    auto window = std::make_unique<QWidget>();
    window->resize(twipsToPixels(clientWidthTwips, 96), twipsToPixels(clientHeightTwips, 96));
    return openPaintAndClose(std::move(window)) ? 0 : 1;
}

void startProcesses(benchmark::State& state, const char* which) {
    const QString program = QCoreApplication::applicationFilePath();
    const QStringList arguments{QString::fromLatin1(openOnce.data(), qsizetype(openOnce.size())) +
                                QString::fromLatin1(which)};
    for (auto _ : state) {
        if (QProcess::execute(program, arguments) != 0) {
            state.SkipWithError("the window did not open and paint");
            break;
        }
    }
}

void StartForm1Window(benchmark::State& state) {
    startProcesses(state, "form1");
}
void StartEmptyWindow(benchmark::State& state) {
    startProcesses(state, "empty");
}

// ----- A long paste

class NoClipboard : public Clipboard {
public:
    std::optional<std::u16string> text() override { return std::nullopt; }
    void setText(std::u16string_view) override {}
};

constexpr std::size_t pasteBytes = 1 << 20;

// An address of mixed ASCII and Chinese with about `bytes` bytes in code page 936, its
// pieces drawn from `seed`.
std::u16string longAddress(std::size_t bytes, unsigned seed) {
    static constexpr std::u16string_view pieces[] = {u"下载/", u"files/", u"电影-",       u"2024",
                                                     u"高清",  u"_v1.2",  u"?q=中文&x=1", u"合集/"};
    std::mt19937 engine(seed);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::u16string text = u"http://example.com/";
    std::size_t size = text.size();
    while (size < bytes) {
        const auto piece = pieces[pick(engine)];
        text += piece;
        for (const char16_t c : piece) {
            size += c < 0x80 ? 1 : 2;
        }
    }
    return text;
}

// A pasted address and the texts of the four visible fields after its paste.
struct Paste {
    QString address;
    std::array<QString, visibleFields.size()> fields;
};

// Two different pastes to take turns: a line edit set to the text it holds does nothing.
const std::vector<Paste>& pastes() {
    static const std::vector<Paste> all = [] {
        std::vector<Paste> result;
        for (unsigned seed = 1; seed <= 2; ++seed) {
            const std::u16string address = longAddress(pasteBytes, seed);
            NoClipboard clipboard;
            Form1 form(clipboard);
            form.fill(FieldId::Text1, address);
            Paste paste{toQString(address), {}};
            for (std::size_t k = 0; k < visibleFields.size(); ++k) {
                paste.fields[k] = toQString(form.text(visibleFields[k]));
            }
            result.push_back(std::move(paste));
        }
        return result;
    }();
    return all;
}

// The characters that the four line edits of a paste lay out.
double shownCharacters(const Paste& paste) {
    double count = 0;
    for (const QString& field : paste.fields) {
        count += double(field.size());
    }
    return count;
}

bool showsPaste(const std::array<QLineEdit*, visibleFields.size()>& edits, const Paste& paste) {
    for (std::size_t k = 0; k < edits.size(); ++k) {
        if (edits[k]->text() != paste.fields[k]) {
            return false;
        }
    }
    return true;
}

void PasteIntoForm1Window(benchmark::State& state) {
    Form1Window window;
    window.show();
    QCoreApplication::processEvents();
    auto* button = window.findChild<QPushButton*>(controlName(CommandId::Command1));
    std::array<QLineEdit*, visibleFields.size()> edits{};
    for (std::size_t k = 0; k < edits.size(); ++k) {
        edits[k] = window.findChild<QLineEdit*>(controlName(visibleFields[k]));
    }
    if (!button || std::ranges::count(edits, nullptr) > 0) {
        state.SkipWithError("the window lacks a control of the table");
        return;
    }
    const std::vector<Paste>& all = pastes();
    std::size_t turn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QGuiApplication::clipboard()->setText(all[turn % all.size()].address);
        state.ResumeTiming();
        button->click();
        ++turn;
    }
    if (turn > 0 && !showsPaste(edits, all[(turn - 1) % all.size()])) {
        state.SkipWithError("the paste did not fill the four fields");
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(pasteBytes));
    state.counters["shown_chars"] = shownCharacters(all.front());
}

// The four line edits alone, sized and placed as the window's, in a shown window of the
// same size, set to the same texts.
void SetTextAlone(benchmark::State& state) {
    auto model = std::make_unique<Form1Window>();
    QWidget window;
    window.setGeometry(model->geometry());
    std::array<QLineEdit*, visibleFields.size()> edits{};
    for (std::size_t k = 0; k < edits.size(); ++k) {
        const auto* shape = model->findChild<QLineEdit*>(controlName(visibleFields[k]));
        edits[k] = new QLineEdit(&window);
        edits[k]->setMaxLength(std::numeric_limits<int>::max());
        edits[k]->setGeometry(QRect(shape->mapTo(model.get(), QPoint()), shape->size()));
    }
    model.reset();
    window.show();
    QCoreApplication::processEvents();
    const std::vector<Paste>& all = pastes();
    std::size_t turn = 0;
    for (auto _ : state) {
        const Paste& paste = all[turn % all.size()];
        for (std::size_t k = 0; k < edits.size(); ++k) {
            edits[k]->setText(paste.fields[k]);
        }
        ++turn;
    }
    if (turn > 0 && !showsPaste(edits, all[(turn - 1) % all.size()])) {
        state.SkipWithError("setText did not fill the four fields");
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(pasteBytes));
    state.counters["shown_chars"] = shownCharacters(all.front());
}

BENCHMARK(OpenForm1Window)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(OpenEmptyWindow)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(StartForm1Window)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(StartEmptyWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
// A paste takes about a second: a few to each measurement, not Google Benchmark's trial runs.
BENCHMARK(PasteIntoForm1Window)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(SetTextAlone)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
} // namespace orvanthe

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (argc == 2 && std::string_view(argv[1]).starts_with(orvanthe::openOnce)) {
        return orvanthe::openOnceAndExit(
            std::string_view(argv[1]).substr(orvanthe::openOnce.size()));
    }
    benchmark::Initialize(&argc, argv);
    // The application as the program starts it, Qt's own options taken from the rest.
    QApplication application(argc, argv);
    orvanthe::preferSimplifiedChineseFaces();
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
