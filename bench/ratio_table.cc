#include "bench/ratio_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace mom_bench {

namespace {

struct PairKind {
  const char* measured;
  const char* baseline;
};
constexpr PairKind kPairKinds[] = {
    {"component", "raw"}, {"ato", "plain"}, {"journal", "unjournalled"}, {"10k", "1k"}};

std::string Format(const char* format, auto... values) {
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, format, values...);
  return buffer;
}

// "pg/MoQtyWrB/component" runs on PostgreSQL as "MoQtyWrB/component".
std::pair<std::string, std::string> ProviderAndName(const std::string& name) {
  if (name.rfind("pg/", 0) == 0) return {"PostgreSQL", name.substr(3)};
  return {"SQLite", name};
}

std::string Time(double value, const std::string& unit) {
  return Format(value < 10 ? "%.2f %s" : value < 100 ? "%.1f %s" : "%.0f %s", value, unit.c_str());
}

}  // namespace

double Quantile(std::vector<double> values, double q) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const double position = q * static_cast<double>(values.size() - 1);
  const size_t below = static_cast<size_t>(std::floor(position));
  const size_t above = std::min(below + 1, values.size() - 1);
  const double weight = position - static_cast<double>(below);
  return values[below] * (1 - weight) + values[above] * weight;
}

void RatioTable::Add(const std::string& name, double time, const std::string& unit, double lines_per_second,
                     double cpu_time) {
  Series& s = series_[name];
  s.times.push_back(time);
  if (cpu_time >= 0) s.cpu_times.push_back(cpu_time);
  s.unit = unit;
  if (lines_per_second >= 0) s.lines_per_second.push_back(lines_per_second);
}

std::string RatioTable::Render() const {
  std::string out = "\n== ratios (median over median of the repetitions; spread: quartiles of the ratios of every\n"
                    "   repetition to every baseline repetition)\n";
  out += Format("%-11s %-28s %-18s %12s %12s %6s  %-11s %-6s %s\n", "provider", "pair", "measured/baseline",
                "measured", "baseline", "ratio", "spread", "reps", "cpu");
  for (const auto& [name, measured] : series_) {
    for (const PairKind& kind : kPairKinds) {
      const std::string suffix = std::string("/") + kind.measured;
      if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        continue;
      const std::string pair = name.substr(0, name.size() - suffix.size());
      auto base = series_.find(pair + "/" + kind.baseline);
      if (base == series_.end()) continue;
      const Series& baseline = base->second;
      const double baseline_median = Quantile(baseline.times, 0.5);
      if (baseline_median <= 0) continue;
      std::vector<double> ratios;
      for (double m : measured.times)
        for (double b : baseline.times)
          if (b > 0) ratios.push_back(m / b);
      const double measured_median = Quantile(measured.times, 0.5);
      const double cpu_baseline = Quantile(baseline.cpu_times, 0.5);
      const std::string cpu = cpu_baseline > 0 && !measured.cpu_times.empty()
                                  ? Format("%.2f", Quantile(measured.cpu_times, 0.5) / cpu_baseline)
                                  : std::string("-");
      const auto [provider, bare] = ProviderAndName(pair);
      out += Format("%-11s %-28s %-18s %12s %12s %6.2f  %4.2f-%-4.2f  %-6s %s\n", provider.c_str(), bare.c_str(),
                    (std::string(kind.measured) + "/" + kind.baseline).c_str(),
                    Time(measured_median, measured.unit).c_str(), Time(baseline_median, baseline.unit).c_str(),
                    measured_median / baseline_median, Quantile(ratios, 0.25), Quantile(ratios, 0.75),
                    (std::to_string(measured.times.size()) + "/" + std::to_string(baseline.times.size())).c_str(),
                    cpu.c_str());
    }
  }
  out += "\n== lines per second (median of the repetitions, range)\n";
  out += Format("%-11s %-36s %9s  %-17s %s\n", "provider", "benchmark", "lines/s", "range", "reps");
  for (const auto& [name, s] : series_) {
    if (s.lines_per_second.empty()) continue;
    const auto [provider, bare] = ProviderAndName(name);
    const auto [low, high] = std::minmax_element(s.lines_per_second.begin(), s.lines_per_second.end());
    out += Format("%-11s %-36s %9.0f  %7.0f-%-9.0f %zu\n", provider.c_str(), bare.c_str(),
                  Quantile(s.lines_per_second, 0.5), *low, *high, s.lines_per_second.size());
  }
  return out;
}

}  // namespace mom_bench
