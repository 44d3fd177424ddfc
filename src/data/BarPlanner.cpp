#include "data/BarPlanner.h"

#include <glpk.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>

namespace pv {

namespace {

using Clock = std::chrono::steady_clock;

// The plan as a covering problem: bottles serve requirements (a recipe line
// not served yet), drinks need every one of theirs.
struct Problem {
    std::vector<int> bottle;                // local bottle -> ingredient
    std::vector<std::vector<int>> reqsOf;   // bottle -> requirements it serves
    std::vector<std::vector<int>> altsOf;   // requirement -> bottles
    std::vector<std::vector<int>> drinksOf; // requirement -> drink groups
    std::vector<std::vector<int>> reqsOfDrink;
    std::vector<int> weight; // drinks in the group
    std::vector<char> must;
    std::vector<std::vector<int>> members; // group -> drinks
};

class Search {
public:
    Search(const Problem &p, int picks, double seconds)
        : p(p), picks(picks),
          deadline(Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds)))
    {
        const size_t m = p.bottle.size();
        state.assign(m, Free);
        reqSat.assign(p.altsOf.size(), 0);
        left.resize(p.weight.size());
        for (size_t d = 0; d < left.size(); ++d)
            left[d] = int(p.reqsOfDrink[d].size());
        mustOpen = int(std::count(p.must.begin(), p.must.end(), 1));
        count.assign(m, 0);
        credit.assign(m, 0.0);
    }

    void run()
    {
        greedy();
        const int root = bound(picks);
        rootBound = root;
        dfs(picks, root);
        if (!timedOut)
            pending = best;
    }

    enum State : char { Free, Chosen, Out };
    const Problem &p;
    const int picks;
    const Clock::time_point deadline;
    std::vector<char> state;
    std::vector<int> reqSat, left, count;
    std::vector<double> credit;
    int value = 0, mustOpen = 0;
    int best = -1;
    std::vector<int> bestSet;
    std::vector<int> chosen;
    bool timedOut = false;
    int pending = 0; // the best any unexplored branch could still make
    int rootBound = 0;
    long long nodes = 0;

    void include(int b)
    {
        state[size_t(b)] = Chosen;
        chosen.push_back(b);
        for (int r : p.reqsOf[size_t(b)])
            if (reqSat[size_t(r)]++ == 0)
                for (int d : p.drinksOf[size_t(r)])
                    if (--left[size_t(d)] == 0) {
                        value += p.weight[size_t(d)];
                        mustOpen -= p.must[size_t(d)];
                    }
    }

    void remove(int b)
    {
        state[size_t(b)] = Free;
        const auto it = std::find(chosen.begin(), chosen.end(), b);
        std::iter_swap(it, chosen.end() - 1);
        chosen.pop_back();
        for (int r : p.reqsOf[size_t(b)])
            if (--reqSat[size_t(r)] == 0)
                for (int d : p.drinksOf[size_t(r)])
                    if (left[size_t(d)]++ == 0) {
                        value -= p.weight[size_t(d)];
                        mustOpen += p.must[size_t(d)];
                    }
    }

    void record()
    {
        if (mustOpen == 0 && value > best) {
            best = value;
            bestSet = chosen;
        }
    }

    // An upper bound on what this node's subtree makes with k more picks:
    // a drink still open needs its u unserved requirements covered, so each
    // free bottle earns the share count/u of it; k picks earn at most the k
    // largest sums. Returns -1 when a required drink can no longer be made.
    int bound(int k)
    {
        std::fill(credit.begin(), credit.end(), 0.0);
        std::vector<int> touched;
        for (size_t d = 0; d < left.size(); ++d) {
            const int u = left[d];
            if (u == 0)
                continue;
            bool alive = true;
            touched.clear();
            for (int r : p.reqsOfDrink[d]) {
                if (!alive)
                    break;
                if (reqSat[size_t(r)])
                    continue;
                bool any = false;
                for (int b : p.altsOf[size_t(r)])
                    if (state[size_t(b)] == Free) {
                        if (count[size_t(b)]++ == 0)
                            touched.push_back(b);
                        any = true;
                    }
                alive = any;
            }
            int most = 0;
            for (int b : touched)
                most = std::max(most, count[size_t(b)]);
            // Fewer than ceil(u / most) bottles cannot serve it.
            if (alive && most > 0 && (u + most - 1) / most > k)
                alive = false;
            if (alive)
                for (int b : touched)
                    credit[size_t(b)] += double(p.weight[d]) * count[size_t(b)] / u;
            for (int b : touched)
                count[size_t(b)] = 0;
            if (!alive && p.must[d])
                return -1;
        }
        std::vector<double> top;
        top.reserve(credit.size());
        for (size_t b = 0; b < credit.size(); ++b)
            if (state[b] == Free && credit[b] > 0)
                top.push_back(credit[b]);
        const size_t n = std::min(top.size(), size_t(std::max(0, k)));
        std::partial_sort(top.begin(), top.begin() + std::ptrdiff_t(n), top.end(), std::greater<double>());
        double sum = 0;
        for (size_t i = 0; i < n; ++i)
            sum += top[i];
        return value + int(std::floor(sum + 1e-7));
    }

    int pickBranch() const
    {
        int pick = -1;
        for (size_t b = 0; b < credit.size(); ++b)
            if (state[b] == Free && credit[b] > 0 && (pick < 0 || credit[b] > credit[size_t(pick)]))
                pick = int(b);
        return pick;
    }

    // Stops, keeping what its unexplored branches could still make, when time runs out.
    void dfs(int k, int nodeBound)
    {
        ++nodes;
        record();
        if (k == 0 || nodeBound < 0 || nodeBound <= best)
            return;
        if ((nodes & 63) == 1 && Clock::now() > deadline) {
            timedOut = true;
            pending = std::max(pending, nodeBound);
            return;
        }
        const int b = pickBranch(); // credit is this node's, from its bound
        if (b < 0)
            return;
        include(b);
        const int inBound = bound(k - 1);
        dfs(k - 1, inBound);
        remove(b);
        state[size_t(b)] = Out;
        const int outBound = bound(k);
        if (timedOut)
            pending = std::max(pending, outBound > best ? outBound : best);
        else
            dfs(k, outBound);
        state[size_t(b)] = Free;
    }

    // A good first plan makes the bound prune from the start: the required
    // drinks first, then the bottle that completes most, shares breaking ties;
    // then single swaps while they help.
    void greedy()
    {
        for (int step = 0; step < picks; ++step) {
            (void)bound(picks - step);
            int pick = -1;
            double pickScore = -1;
            for (size_t b = 0; b < state.size(); ++b) {
                if (state[b] != Free)
                    continue;
                const int before = value, mustBefore = mustOpen;
                include(int(b));
                const double score = (mustBefore - mustOpen) * 1e6 + (value - before) * 1e3 + credit[b];
                remove(int(b));
                if (score > pickScore) {
                    pickScore = score;
                    pick = int(b);
                }
            }
            if (pick < 0 || pickScore <= 0)
                break;
            include(pick);
        }
        record();
        for (bool better = true; better;) {
            better = false;
            const std::vector<int> picked = chosen;
            for (size_t i = 0; i < picked.size() && !better; ++i) {
                const int out = picked[i];
                for (size_t c = 0; c < state.size() && !better; ++c) {
                    if (state[c] != Free)
                        continue;
                    const int was = value, mustWas = mustOpen;
                    remove(out);
                    include(int(c));
                    if (mustOpen < mustWas || (mustOpen == mustWas && value > was)) {
                        better = true;
                        record();
                    } else {
                        remove(int(c));
                        include(out);
                    }
                }
            }
        }
        while (!chosen.empty())
            remove(chosen.back());
    }
};

Problem buildProblem(const BarIndex &index, const PlanRequest &request, const BarLists &lists, bool *feasible)
{
    const int n = index.ingredientCount();
    const std::vector<std::vector<int>> cover = index.coverage(request.options);
    std::vector<char> must(size_t(index.drinkCount()), 0);
    for (int d : request.mustMake)
        if (d >= 0 && d < index.drinkCount())
            must[size_t(d)] = 1;

    Problem p;
    std::vector<int> local(n, -1);
    auto allowed = [&](int b) {
        return !index.isHouseMade(b) && !(b < int(request.have.size()) && request.have[size_t(b)]) &&
               !(b < int(request.never.size()) && request.never[size_t(b)]);
    };
    // Requirements by the bottles that serve them; drinks by their requirements.
    std::vector<std::vector<int>> servedBy(n);
    for (int b = 0; b < n; ++b)
        if (allowed(b))
            for (int w : cover[size_t(b)])
                if (!lists.ok[size_t(w)])
                    servedBy[size_t(w)].push_back(b);
    std::map<std::vector<int>, int> reqId, groupId;
    std::vector<std::vector<int>> reqBottles;
    for (size_t k = 0; k < lists.open.size(); ++k) {
        const int d = lists.open[k];
        std::vector<int> reqs;
        bool possible = true;
        for (unsigned j = lists.needStart[k]; j < lists.needStart[k + 1]; ++j) {
            const std::vector<int> &alts = servedBy[size_t(lists.needs[j])];
            if (alts.empty()) {
                possible = false;
                break;
            }
            auto [it, added] = reqId.emplace(alts, int(reqBottles.size()));
            if (added)
                reqBottles.push_back(alts);
            reqs.push_back(it->second);
        }
        if (!possible) {
            if (must[size_t(d)])
                *feasible = false;
            continue;
        }
        std::sort(reqs.begin(), reqs.end());
        reqs.erase(std::unique(reqs.begin(), reqs.end()), reqs.end());
        // Drinks that need the same are one group; a required one stands apart.
        std::vector<int> key = reqs;
        key.push_back(must[size_t(d)] ? -1 : -2);
        auto [it, added] = groupId.emplace(key, int(p.weight.size()));
        if (added) {
            p.reqsOfDrink.push_back(reqs);
            p.weight.push_back(0);
            p.must.push_back(must[size_t(d)]);
            p.members.emplace_back();
        }
        ++p.weight[size_t(it->second)];
        p.members[size_t(it->second)].push_back(d);
    }
    // A bottle serving no more than another bottle serves never helps more
    // than that one; of two that serve the same, the plainer stays.
    std::vector<std::vector<int>> reqsOf(n);
    for (size_t r = 0; r < reqBottles.size(); ++r)
        for (int b : reqBottles[r])
            reqsOf[size_t(b)].push_back(int(r));
    std::vector<int> useful;
    for (int b = 0; b < n; ++b)
        if (!reqsOf[size_t(b)].empty())
            useful.push_back(b);
    auto preferred = [&index](int a, int b) {
        if (index.depth(a) != index.depth(b))
            return index.depth(a) < index.depth(b);
        return index.ingredientName(a).compare(index.ingredientName(b), Qt::CaseInsensitive) < 0;
    };
    std::vector<char> dominated(n, 0);
    for (int b : useful)
        for (int c : reqBottles[size_t(reqsOf[size_t(b)].front())]) {
            if (c == b || dominated[size_t(c)])
                continue;
            const std::vector<int> &rb = reqsOf[size_t(b)], &rc = reqsOf[size_t(c)];
            if (!std::includes(rc.begin(), rc.end(), rb.begin(), rb.end()))
                continue;
            if (rc.size() > rb.size() || preferred(c, b)) {
                dominated[size_t(b)] = 1;
                break;
            }
        }
    for (int b : useful)
        if (!dominated[size_t(b)]) {
            local[size_t(b)] = int(p.bottle.size());
            p.bottle.push_back(b);
        }
    p.reqsOf.resize(p.bottle.size());
    p.altsOf.resize(reqBottles.size());
    p.drinksOf.resize(reqBottles.size());
    for (size_t r = 0; r < reqBottles.size(); ++r)
        for (int b : reqBottles[r])
            if (local[size_t(b)] >= 0) {
                p.altsOf[r].push_back(local[size_t(b)]);
                p.reqsOf[size_t(local[size_t(b)])].push_back(int(r));
            }
    for (size_t d = 0; d < p.reqsOfDrink.size(); ++d)
        for (int r : p.reqsOfDrink[d])
            p.drinksOf[size_t(r)].push_back(int(d));
    return p;
}

// The same problem as an integer program for GLPK, started from the best
// plan found so far: bottles x_b, drinks y_g (continuous: the objective
// makes them whole), y_g <= the sum of x_b over each requirement's bottles,
// and at most `picks` bottles.
struct IntegerProgram {
    int best = -1;
    std::vector<int> bestSet;
    int bound = -1; // proven, when not optimal
    bool optimal = false;
    bool infeasible = false;
};

struct GlpkCallback {
    const std::vector<double> *start = nullptr;
    double bound = 1e300;
    bool haveBound = false;
};

void glpkCallback(glp_tree *tree, void *info)
{
    auto *cb = static_cast<GlpkCallback *>(info);
    switch (glp_ios_reason(tree)) {
    case GLP_IHEUR:
        if (cb->start && glp_ios_curr_node(tree) == 1)
            glp_ios_heur_sol(tree, cb->start->data());
        break;
    case GLP_ISELECT:
    case GLP_IBINGO:
        if (const int node = glp_ios_best_node(tree)) {
            cb->bound = glp_ios_node_bound(tree, node);
            cb->haveBound = true;
        }
        break;
    default:
        break;
    }
}

IntegerProgram solveWithGlpk(const Problem &p, int picks, const std::vector<int> &startSet, double seconds)
{
    IntegerProgram out;
    const int m = int(p.bottle.size()), g = int(p.weight.size());
    if (m == 0 || g == 0) {
        // No bottle helps: adding none is the best there is.
        out.best = 0;
        out.optimal = true;
        return out;
    }
    if (seconds <= 0.01)
        return out;
    glp_term_out(GLP_OFF);
    glp_prob *lp = glp_create_prob();
    glp_set_obj_dir(lp, GLP_MAX);
    glp_add_cols(lp, m + g);
    for (int b = 0; b < m; ++b) {
        glp_set_col_kind(lp, b + 1, GLP_BV);
    }
    for (int d = 0; d < g; ++d) {
        const int col = m + d + 1;
        if (p.must[size_t(d)])
            glp_set_col_bnds(lp, col, GLP_FX, 1, 1);
        else
            glp_set_col_bnds(lp, col, GLP_DB, 0, 1);
        glp_set_obj_coef(lp, col, p.weight[size_t(d)]);
    }
    std::vector<int> ia{0}, ja{0};
    std::vector<double> ar{0};
    int row = 0;
    for (int d = 0; d < g; ++d)
        for (int r : p.reqsOfDrink[size_t(d)]) {
            ++row;
            ia.push_back(row), ja.push_back(m + d + 1), ar.push_back(1);
            for (int b : p.altsOf[size_t(r)])
                ia.push_back(row), ja.push_back(b + 1), ar.push_back(-1);
        }
    ++row;
    for (int b = 0; b < m; ++b)
        ia.push_back(row), ja.push_back(b + 1), ar.push_back(1);
    glp_add_rows(lp, row);
    for (int r = 1; r < row; ++r)
        glp_set_row_bnds(lp, r, GLP_UP, 0, 0);
    glp_set_row_bnds(lp, row, GLP_UP, 0, picks);
    glp_load_matrix(lp, int(ia.size()) - 1, ia.data(), ja.data(), ar.data());

    // The plan found so far, as a first solution for the search.
    std::vector<double> start(size_t(m + g + 1), 0.0);
    std::vector<int> sat(p.altsOf.size(), 0);
    for (int b : startSet) {
        start[size_t(b + 1)] = 1;
        for (int r : p.reqsOf[size_t(b)])
            sat[size_t(r)] = 1;
    }
    for (int d = 0; d < g; ++d)
        start[size_t(m + d + 1)] = std::all_of(p.reqsOfDrink[size_t(d)].begin(), p.reqsOfDrink[size_t(d)].end(),
                                               [&sat](int r) { return sat[size_t(r)] != 0; });
    GlpkCallback cb;
    cb.start = startSet.empty() ? nullptr : &start;
    glp_iocp parm;
    glp_init_iocp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    // Without the presolver, so that the callback's columns are ours and the
    // first plan can be handed over; the relaxation is solved first instead.
    parm.presolve = GLP_OFF;
    parm.tm_lim = int(seconds * 1000);
    parm.mir_cuts = GLP_ON;
    parm.cov_cuts = GLP_ON;
    parm.gmi_cuts = GLP_ON;
    parm.cb_func = glpkCallback;
    parm.cb_info = &cb;
    glp_smcp simplex;
    glp_init_smcp(&simplex);
    simplex.msg_lev = GLP_MSG_OFF;
    simplex.tm_lim = parm.tm_lim;
    const auto relaxing = Clock::now();
    int rc = glp_simplex(lp, &simplex);
    parm.tm_lim = std::max(
        1, parm.tm_lim - int(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - relaxing).count()));
    if (rc == 0 && glp_get_status(lp) == GLP_OPT)
        rc = glp_intopt(lp, &parm);
    else if (rc == 0)
        rc = GLP_ENOPFS;
    const int status = glp_mip_status(lp);
    if ((rc == 0 || rc == GLP_ETMLIM) && (status == GLP_OPT || status == GLP_FEAS)) {
        for (int b = 0; b < m; ++b)
            if (glp_mip_col_val(lp, b + 1) > 0.5)
                out.bestSet.push_back(b);
        out.best = int(std::lround(glp_mip_obj_val(lp)));
        out.optimal = rc == 0 && status == GLP_OPT;
    }
    out.infeasible = (rc == 0 && status == GLP_NOFEAS) || rc == GLP_ENOPFS;
    if (!out.optimal && cb.haveBound)
        out.bound = int(std::floor(cb.bound + 1e-6));
    glp_delete_prob(lp);
    return out;
}

std::vector<char> withBottles(const std::vector<char> &have, int n, const std::vector<int> &bottles)
{
    std::vector<char> v = have;
    v.resize(size_t(n), 0);
    for (int b : bottles)
        v[size_t(b)] = 1;
    return v;
}

} // namespace

Plan planBottles(const BarIndex &index, const PlanRequest &request)
{
    Plan plan;
    const BarLists lists = index.compute(request.have, request.options);
    plan.shelfDrinks = int(lists.canMake.size());
    const Problem p = buildProblem(index, request, lists, &plan.feasible);
    const int picks = std::max(0, request.bottles);
    const auto started = Clock::now();
    // The branch and bound settles most plans at once; a hard one goes on to
    // the integer program with the rest of the time.
    Search s(p, picks, request.seconds * std::clamp(request.branchShare, 0.0, 1.0));
    if (plan.feasible)
        s.run();
    plan.nodes = s.nodes;
    std::vector<int> bestSet = s.bestSet;
    int best = s.best;
    bool optimal = !s.timedOut;
    int bound = s.timedOut ? std::min(s.pending, s.rootBound) : s.best;
    if (plan.feasible && s.timedOut) {
        const double left = request.seconds - std::chrono::duration<double>(Clock::now() - started).count();
        const IntegerProgram ip = solveWithGlpk(p, picks, s.bestSet, left);
        if (ip.best > best) {
            best = ip.best;
            bestSet = ip.bestSet;
        }
        if (ip.optimal) {
            optimal = true;
            bound = ip.best;
        } else if (ip.bound >= 0) {
            bound = std::min(bound, ip.bound);
        }
        plan.feasible = !ip.infeasible;
    }
    if (best < 0 && !s.timedOut)
        plan.feasible = false; // the whole search found none
    if (!plan.feasible || best < 0) {
        plan.found = false;
        plan.total = plan.shelfDrinks;
        plan.upperBound = plan.feasible ? plan.shelfDrinks + std::max(0, bound) : plan.shelfDrinks;
        return plan;
    }
    for (int b : bestSet)
        plan.bottles.push_back(p.bottle[size_t(b)]);
    const int n = index.ingredientCount();
    // Drinks made with these bottles, or 0 when a required drink is not among them.
    auto totalWith = [&](const std::vector<int> &bottles) -> size_t {
        const std::vector<int> made = index.compute(withBottles(request.have, n, bottles), request.options).canMake;
        for (int d : request.mustMake)
            if (!std::binary_search(made.begin(), made.end(), d))
                return 0;
        return made.size();
    };
    // Of two bottles that make as many drinks in the plan, the plainer one.
    const size_t made = totalWith(plan.bottles);
    for (int &b : plan.bottles) {
        std::vector<int> plainer;
        for (int a : index.serves(b))
            if (index.depth(a) < index.depth(b) && !index.isHouseMade(a) &&
                !(a < int(request.never.size()) && request.never[size_t(a)]) &&
                std::find(plan.bottles.begin(), plan.bottles.end(), a) == plan.bottles.end())
                plainer.push_back(a);
        std::sort(plainer.begin(), plainer.end(), [&index](int x, int y) { return index.depth(x) < index.depth(y); });
        for (int a : plainer) {
            const int was = b;
            b = a;
            if (totalWith(plan.bottles) >= made)
                break;
            b = was;
        }
    }
    std::sort(plan.bottles.begin(), plan.bottles.end(), [&index](int a, int b) {
        return index.ingredientName(a).compare(index.ingredientName(b), Qt::CaseInsensitive) < 0;
    });
    const BarLists after = index.compute(withBottles(request.have, n, plan.bottles), request.options);
    std::set_difference(after.canMake.begin(), after.canMake.end(), lists.canMake.begin(), lists.canMake.end(),
                        std::back_inserter(plan.drinks));
    plan.total = int(after.canMake.size());
    plan.optimal = optimal || bound <= best;
    plan.upperBound = plan.shelfDrinks + std::max(best, plan.optimal ? best : bound);
    return plan;
}

std::vector<int> oneAtATime(const BarIndex &index, const PlanRequest &request, int steps)
{
    std::vector<int> out;
    std::vector<char> have = request.have;
    have.resize(size_t(index.ingredientCount()), 0);
    for (int step = 0; step < steps; ++step) {
        const BarLists lists = index.compute(have, request.options);
        int pick = -1;
        for (const BarLists::Buy &b : lists.buyNext)
            if (!(b.ingredient < int(request.never.size()) && request.never[size_t(b.ingredient)])) {
                pick = b.ingredient;
                break;
            }
        if (pick >= 0)
            have[size_t(pick)] = 1;
        const int made =
            pick >= 0 ? int(index.compute(have, request.options).canMake.size()) : int(lists.canMake.size());
        out.push_back(made);
    }
    return out;
}

} // namespace pv
