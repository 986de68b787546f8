// Random relations over random small grids, decided and then checked
// against MPFR: no cell called "nowhere" holds a sampled solution, every
// "throughout" cell holds at its samples, every "somewhere" cell carries a
// proof that MPFR confirms. The refinement depth is bounded instead of the
// time, so that each input runs the same way every time.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>

#include "../unit/relation_check.h"

namespace {

class FuzzChoices : public relation_check::Choices {
public:
    explicit FuzzChoices(FuzzedDataProvider& data) : data(data) {}
    uint32_t Pick(uint32_t n) override { return data.ConsumeIntegralInRange<uint32_t>(0, n - 1); }

private:
    FuzzedDataProvider& data;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    FuzzChoices choices(data);
    const relation_check::Relation relation = relation_check::GenerateRelation(choices, 3);
    const std::string text = relation.Text();
    auto compiled = CompiledRelation::Compile(text);
    if (!compiled) {
        std::fprintf(stderr, "refused: %s\n", text.c_str());
        std::abort();
    }
    CellGrid grid;
    const double cx = static_cast<double>(choices.Pick(33)) / 4 - 4;
    const double cy = static_cast<double>(choices.Pick(33)) / 4 - 4;
    static const double kHalfWidths[] = {0.25, 1, 3, 10, 40};
    const double hw = kHalfWidths[choices.Pick(5)], hh = kHalfWidths[choices.Pick(5)];
    grid.xmin = cx - hw;
    grid.xmax = cx + hw;
    grid.ymin = cy - hh;
    grid.ymax = cy + hh;
    grid.width = 1 + static_cast<int32_t>(choices.Pick(6));
    grid.height = 1 + static_cast<int32_t>(choices.Pick(6));
    grid.placement = choices.Pick(2) ? CellGrid::Placement::Centred : CellGrid::Placement::Tiled;

    std::vector<CellWitness> witnesses;
    RelationDecider decider(std::move(compiled), grid);
    decider.RecordWitnesses(&witnesses);
    DecideLimits limits;
    limits.maxDepth = 4;
    decider.Run(limits);
    const auto problems = relation_check::Check(relation, grid, decider.Map(), witnesses, 4, 3);
    if (!problems.empty()) {
        for (const std::string& p : problems)
            std::fprintf(stderr, "%s\n", p.c_str());
        std::abort();
    }
    return 0;
}
