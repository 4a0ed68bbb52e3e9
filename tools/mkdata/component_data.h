#pragma once
// The two component tables, built from cjk-decomp and the stroke dictionary
// for every Chinese character of GBK.
//
// Component table: a character -> its first-level components in GBK (a
// component without a GBK form is replaced by its own components). A
// character whose components do not add up to its own stroke sequence, or
// that has no components, is a basic component: it maps to "" so that the
// depth expansion takes its strokes from the base table.
// Base table: every basic component (and every other GBK component named in
// the component table) -> its stroke digits 1..5. A component that the
// stroke source lacks takes the sequence that at least 3 characters made of
// it and one other component agree on.
#include <string>
#include <utility>
#include <vector>

#include "tools/mkdata/cjk_decomp.h"
#include "tools/mkdata/gbk_index.h"
#include "tools/mkdata/stroke_dict.h"

using TextPairs = std::vector<std::pair<std::string, std::string>>;  // GBK key, GBK value

struct ComponentData {
    TextPairs components;  // ZiPartsStd2.dat, in GBK code order
    TextPairs base;        // ZiPartsBaseStd2.dat, in GBK code order
    size_t composite = 0;  // keys with a non-empty decomposition
    size_t inferred = 0;   // components whose strokes were inferred
};

ComponentData BuildComponentData(const CjkDecomp& decomp, const StrokeDict& strokes, const GbkIndex& gbk);
