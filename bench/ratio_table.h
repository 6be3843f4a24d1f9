#pragma once
// The table that ends a benchmark run: every pair's ratio of medians with its spread,
// and every lines/s figure, on each provider.

#include <map>
#include <string>
#include <vector>

namespace mom_bench {

class RatioTable {
 public:
  // One repetition of benchmark `name` ("pg/MoQtyWrB/component"): its time in `unit`,
  // the CPU time of its thread and its lines/s counter (negative when it has none).
  void Add(const std::string& name, double time, const std::string& unit, double lines_per_second,
           double cpu_time = -1);

  // The pairs "X/component" over "X/raw", "X/ato" over "X/plain" and "X/10k" over
  // "X/1k" whose both sides ran, then the lines/s of every benchmark that counts them.
  // A ratio is the median over the median; its spread is the middle half (quartiles)
  // of the ratios of every repetition of one side to every repetition of the other.
  // The ratio of the median CPU times follows: on a busy machine it shows what the
  // process itself spent, without the waits for a processor (and, on PostgreSQL,
  // without the server's work).
  std::string Render() const;

 private:
  struct Series {
    std::vector<double> times;
    std::vector<double> lines_per_second;
    std::vector<double> cpu_times;
    std::string unit;
  };
  std::map<std::string, Series> series_;
};

// The value at fraction `q` (0..1) of `values`, interpolated between neighbours.
double Quantile(std::vector<double> values, double q);

}  // namespace mom_bench
