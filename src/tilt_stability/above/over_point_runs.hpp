#pragma once
// Keeps of each run the candidates whose numerical wall passes over a point
// σ(β0, α0) or through it, in constant time per run.
//
// For v = (R, C, D/2) and u = (r, c, d/2) the wall is (β − x)² + α² = ρ² with
// x = a/(2e), ρ² = (a² − 4e·b)/(4e²), a = R·d − r·D, e = R·c − r·C,
// b = d·C − D·c (e ≠ 0 for every candidate). It passes over the point or
// through it when ρ² − (β0 − x)² − α0² >= 0, that is
//   (β0·a − b)/e − T >= 0,   T = β0² + α0²,
// which, with β0 = n/m and T = t/s (m, s > 0), multiplied by m·s·e², is
//   sign(e)·h(d) >= 0,   h(d) = c·P + r·Q + d·L,
//   P = m·(s·D − t·R),  Q = t·m·C − s·n·D,  L = s·(n·R − m·C).
// P, Q and L depend on v and the point only; for fixed (r, c) the test is an
// affine function of d, so the d that pass form a prefix or a suffix of the
// run, cut where h changes sign. That cut is found from a long double estimate
// −(c·P + r·Q)/L, then made exact by sign tests of h (multiplications only),
// moving outward from the estimate by doubling steps and then by bisection:
// a handful of tests per run when the estimate is close, which it is unless P,
// Q and L are far beyond 64 bits.
#include "chern_character/chern_character.hpp"
#include "tilt_stability/above/point.hpp"
#include "tilt_stability/candidates/candidates.hpp"

namespace varnolt::tilt_stability::above {

class OverPointRuns final : public RunSink {
public:
    // v's walls over point; point's denominators must be positive.
    OverPointRuns(const chern_character::ChernChar<2>& v, const Point& point, RunSink& out);
    void append(const CandidateRun& run) override;
    // The runs passed on keep their r and c, which the search's order reads.
    void order_by(const RunOrder& before) override { out_.order_by(before); }

private:
    // Whether (r, c, d) passes, given the sign of e for its (r, c).
    bool passes(const CandidateRun& run, int e_sign, std::int64_t d) const;

    std::int64_t big_r_, big_c_;
    BigInt p_, q_, l_;
    // P, Q and L in 64 bits when all three fit in 62 (then h is exact in 128).
    bool small_;
    std::int64_t p_small_ = 0, q_small_ = 0, l_small_ = 0;
    // P, Q and L times one common power of two, for the estimate.
    long double p_scaled_, q_scaled_, l_scaled_;
    RunSink& out_;
};

}  // namespace varnolt::tilt_stability::above
