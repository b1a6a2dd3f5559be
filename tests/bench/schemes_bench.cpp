// Timing of one run of a task file's scheme: six species and five reactions,
// the sweep and the refined optimum, in each reactor.

#include <benchmark/benchmark.h>

#include <string>

#include "schemes/Scheme.h"

namespace {

std::string SixSpecies(const char* reactor) {
  return std::string("title = \"Шесть веществ, пять реакций\"\nreactor = \"") + reactor +
         "\"\nkey = \"A\"\ntarget = \"R\"\n"
         "reactions = [\"A + B -> R : k1\", \"R + B -> S : k2\", \"2A -> T : k3\", \"R <=> U : k4, k5\", "
         "\"S -> U : k3\"]\n"
         "[inlet]\nA = 1\nB = 1.5\n"
         "[flow]\nfeed = 0.01\n"
         "[[parameter]]\nname = \"k1\"\noffered = [1, 1, 1]\n"
         "[[parameter]]\nname = \"k2\"\noffered = [0.5, 1, 1]\n"
         "[[parameter]]\nname = \"k3\"\noffered = [0.2, 1, 1]\n"
         "[[parameter]]\nname = \"k4\"\noffered = [0.3, 1, 1]\n"
         "[[parameter]]\nname = \"k5\"\noffered = [0.1, 1, 1]\n";
}

void RunSixSpecies(benchmark::State& state, const char* reactor) {
  const schemes::Scheme scheme = schemes::ParseScheme(SixSpecies(reactor), "six.toml");
  const std::vector<double> values = schemes::ValuesWithDefaults(scheme, {});
  for (auto _ : state) benchmark::DoNotOptimize(schemes::RunScheme(scheme, values).maxYield);
}

void ParseSixSpecies(benchmark::State& state) {
  const std::string text = SixSpecies("plug-flow");
  for (auto _ : state) benchmark::DoNotOptimize(schemes::ParseScheme(text, "six.toml").species.size());
}

}  // namespace

BENCHMARK_CAPTURE(RunSixSpecies, PlugFlow, "plug-flow")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RunSixSpecies, StirredTank, "stirred-tank")->Unit(benchmark::kMillisecond);
BENCHMARK(ParseSixSpecies)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
