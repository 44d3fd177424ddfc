#pragma once

#include "data/BarMatcher.h"

#include <vector>

namespace pv {

struct PlanRequest {
    int bottles = 1;        // how many to add
    std::vector<char> have; // per ingredient, as BarIndex::compute takes it
    BarOptions options;
    std::vector<char> never;   // per ingredient: never buy (may be shorter)
    std::vector<int> mustMake; // drinks the plan has to make
    double seconds = 1.9;      // search time before settling for a bound
    double branchShare = 0.6;  // of it for the branch and bound, the rest for the integer program
};

struct Plan {
    std::vector<int> bottles; // ingredients to add, by name
    std::vector<int> drinks;  // what they add to the shelf, in table order
    int shelfDrinks = 0;      // makeable before
    int total = 0;            // shelf and bottles together
    int upperBound = 0;       // no set of that many bottles makes more; == total when optimal
    bool optimal = false;
    bool feasible = true; // false: the drinks required cannot all be made
    bool found = true;    // false: none of the plans seen in the time makes them
    long long nodes = 0;  // search nodes, for the benchmark
};

// The set of at most request.bottles bottles that makes the most drinks: a
// branch and bound over the bottles that help, each bound the sum of the
// best fractional shares of the drinks still open; when that runs out of its
// time, GLPK's integer programming goes on (see docs/performance.md).
Plan planBottles(const BarIndex &index, const PlanRequest &request);

// Drinks makeable after each of `steps` picks of the top of Buy next, one
// at a time: entry k is the total after k + 1 bottles.
std::vector<int> oneAtATime(const BarIndex &index, const PlanRequest &request, int steps);

} // namespace pv
