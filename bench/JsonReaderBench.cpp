#include "AllocationCounter.h"
#include "javascript/JsonReader.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

std::string graph(int index) {
    const std::string n = std::to_string(index);
    return R"({"input": {"type": "wmi", "name": "\\Network Interface(eth)" + n +
           R"(\\Bytes Total/sec", "units": "Rate"},
          "output": {"toolTip": "Graph )" +
           n + R"(", "renderMethod": "line", "rescale": true, "previewOnly": false,
                     "colours": [{"value": 0, "colour": "#00ff00"}, {"value": 1048576, "colour": "#ff0000"}],
                     "highlight": {"value": 90.5, "invert": false, "colour": "ff0000bf"}}})";
}

// A configuration of `icons` icons with eight graphs each; 300 icons make about 1 MiB.
std::string configuration(int icons) {
    std::string text = R"({"inspectorType": "Floating", "icons": [)";
    for (int i = 0; i < icons; ++i) {
        text += i == 0 ? "\n" : ",\n";
        text += R"(  {"updateInterval": 1000, "scrollAmount": 2, "units": "Percentage",
   "fixedMaximum": 100, "backgroundColour": "#0000007f", "historySize": 122,
   "gaugeLines": [{"value": 50, "colour": "#ffffff80", "dotPitch": 3}],
   "preview": {"scrollAmount": 4, "fillMode": "Flat"}, "graphs": [)";
        for (int g = 0; g < 8; ++g)
            text += (g == 0 ? "" : ", ") + graph(g);
        text += "]}";
    }
    return text + "\n]}\n";
}

// Reports MiB/s; run at several sizes to see that the time grows linearly with the text.
void parse(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        javascript::JsonReader reader;
        reader.parse(text, "bench.json");
        benchmark::DoNotOptimize(reader.root());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["bytes"] = static_cast<double>(text.size());
}

void parseConfiguration(benchmark::State& state) {
    parse(state, configuration(static_cast<int>(state.range(0))));
}
BENCHMARK(parseConfiguration)
    ->Arg(75)
    ->Arg(150)
    ->Arg(300)
    ->Arg(600)
    ->Arg(1200)
    ->Arg(2400)
    ->Unit(benchmark::kMillisecond);

// A script around the configuration, which only the full reader (tokens, syntax tree) takes.
void parseScript(benchmark::State& state) {
    parse(state, "configuration = " + configuration(static_cast<int>(state.range(0))));
}
BENCHMARK(parseScript)->Arg(75)->Arg(300)->Arg(600)->Arg(2400)->Unit(benchmark::kMillisecond);

// A lookup the loader makes for every graph.
void keyPathLookup(benchmark::State& state) {
    javascript::JsonReader reader;
    reader.parse(configuration(1), "bench.json");
    const auto icon = reader.getValue("icons[0]");
    double value = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            javascript::JsonReader::tryGetNumber(value, icon, "graphs[7].output.colours[1].value"));
    }
}
BENCHMARK(keyPathLookup);

} // namespace
