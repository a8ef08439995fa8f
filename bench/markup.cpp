// Parsing speed of the markup reader against pugixml on two generated skin
// documents: a 5 MB file of deep nesting with many attributes, and a 1 MB
// realistic window layout. Both parse the same UTF-8 bytes from memory;
// pugixml builds its DOM with its default flags.
#include "SkinUI/core/Markup.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <cstdio>
#include <map>
#include <string>

namespace {

// Nested blocks 200 levels deep, each element with 12 attributes, repeated
// until the document reaches the wanted size.
std::string DeepDocument(size_t size)
{
    std::string doc = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Window>\n";
    int serial = 0;
    while (doc.size() < size) {
        const int depth = 200;
        for (int level = 0; level < depth; ++level) {
            doc += "<Node id=\"n" + std::to_string(serial++) + "\"";
            for (int a = 0; a < 11; ++a)
                doc += " attr" + std::to_string(a) + "=\"value" + std::to_string(level * 11 + a) + "\"";
            doc += ">";
        }
        for (int level = 0; level < depth; ++level)
            doc += "</Node>";
        doc += "\n";
    }
    doc += "</Window>\n";
    return doc;
}

// A window layout as skins are written: fonts, images and defaults, then
// containers of buttons, labels, edits and options with a few attributes
// each, indented, with comments and entity references.
std::string LayoutDocument(size_t size)
{
    std::string doc = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                      "<Window size=\"800,600\" caption=\"0,0,0,32\" sizebox=\"4,4,4,4\" roundcorner=\"4,4\">\n"
                      "  <Font name=\"Microsoft YaHei\" size=\"12\" bold=\"false\" default=\"true\" />\n"
                      "  <Font name=\"Microsoft YaHei\" size=\"14\" bold=\"true\" />\n"
                      "  <Default name=\"Button\" value=\"height=&quot;30&quot; textcolor=&quot;#FF333333&quot;\" />\n";
    int serial = 0;
    while (doc.size() < size) {
        doc += "  <VerticalLayout name=\"page" + std::to_string(serial) +
               "\" bkcolor=\"#FFF5F5F5\" inset=\"10,10,10,10\" childpadding=\"6\">\n"
               "    <!-- toolbar of page " + std::to_string(serial) + " -->\n"
               "    <HorizontalLayout height=\"36\" childpadding=\"8\">\n";
        for (int i = 0; i < 6; ++i) {
            doc += "      <Button name=\"btn" + std::to_string(serial) + "_" + std::to_string(i) +
                   "\" text=\"Action &amp; more\" width=\"90\" normalimage=\"file='btn.png' source='0,0,90,30'\""
                   " hotimage=\"file='btn.png' source='0,30,90,60'\" tooltip=\"Runs action " +
                   std::to_string(i) + "\" />\n";
        }
        doc += "    </HorizontalLayout>\n";
        for (int i = 0; i < 4; ++i) {
            doc += "    <Label text=\"Field " + std::to_string(i) +
                   "\" height=\"20\" textcolor=\"#FF666666\" font=\"0\" />\n"
                   "    <Edit name=\"edit" + std::to_string(serial) + "_" + std::to_string(i) +
                   "\" height=\"28\" bordersize=\"1\" bordercolor=\"#FFCCCCCC\" textpadding=\"4,4,4,4\" />\n";
        }
        doc += "    <Option name=\"opt" + std::to_string(serial) +
               "\" group=\"g\" text=\"Choose\" selected=\"true\" />\n"
               "    <Text>Some descriptive text &lt;with&gt; entities</Text>\n"
               "  </VerticalLayout>\n";
        ++serial;
    }
    doc += "</Window>\n";
    return doc;
}

const std::string& Deep()
{
    static const std::string doc = DeepDocument(5 * 1024 * 1024);
    return doc;
}

const std::string& Layout()
{
    static const std::string doc = LayoutDocument(1024 * 1024);
    return doc;
}

void ParseWithMarkup(benchmark::State& state, const std::string& doc)
{
    for (auto _ : state) {
        SkinUI::CMarkup markup;
        bool ok = markup.LoadFromMem(reinterpret_cast<const BYTE*>(doc.data()), static_cast<DWORD>(doc.size()),
                                     SkinUI::CMarkup::XMLFILE_ENCODING_UTF8);
        if (!ok)
            state.SkipWithError("CMarkup refused the document");
        benchmark::DoNotOptimize(ok);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(doc.size()));
}

void ParseWithPugixml(benchmark::State& state, const std::string& doc)
{
    for (auto _ : state) {
        pugi::xml_document dom;
        pugi::xml_parse_result result = dom.load_buffer(doc.data(), doc.size());
        if (!result)
            state.SkipWithError("pugixml refused the document");
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(doc.size()));
}

void BM_MarkupDeep(benchmark::State& state) { ParseWithMarkup(state, Deep()); }
void BM_PugixmlDeep(benchmark::State& state) { ParseWithPugixml(state, Deep()); }
void BM_MarkupLayout(benchmark::State& state) { ParseWithMarkup(state, Layout()); }
void BM_PugixmlLayout(benchmark::State& state) { ParseWithPugixml(state, Layout()); }

BENCHMARK(BM_MarkupDeep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugixmlDeep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MarkupLayout)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugixmlLayout)->Unit(benchmark::kMillisecond);

// Keeps the throughput of every run so the goals can be printed last.
class ThroughputReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            auto it = run.counters.find("bytes_per_second");
            if (it != run.counters.end() && !run.error_occurred)
                throughput[run.benchmark_name()] = it->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> throughput;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    ThroughputReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    auto mb = [&](const char* name) { return reporter.throughput[name] / (1024.0 * 1024.0); };
    const double markupDeep = mb("BM_MarkupDeep"), pugiDeep = mb("BM_PugixmlDeep");
    const double markupLayout = mb("BM_MarkupLayout"), pugiLayout = mb("BM_PugixmlLayout");
    printf("deep (%.1f MB): CMarkup %.1f MB/s, pugixml %.1f MB/s\n", Deep().size() / (1024.0 * 1024.0), markupDeep,
           pugiDeep);
    printf("layout (%.1f MB): CMarkup %.1f MB/s, pugixml %.1f MB/s\n", Layout().size() / (1024.0 * 1024.0),
           markupLayout, pugiLayout);
    printf("RATIO markup-vs-pugixml-deep %.3f\n", pugiDeep > 0 ? markupDeep / pugiDeep : 0.0);
    printf("RATIO markup-vs-pugixml-layout %.3f\n", pugiLayout > 0 ? markupLayout / pugiLayout : 0.0);
    return 0;
}
