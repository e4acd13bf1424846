// The reader on any input: it never fails on content, its results do not
// depend on how the input is split into reads, and they stay in bounds.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);

    LumasetCore whole;
    ChunkSource all(text, text.size() + 1);
    whole.ParseFile(all);

    LumasetCore pieces;
    ChunkSource small(text, 1 + (size % 7));
    pieces.ParseFile(small);
    FUZZ_CHECK(DescribeReader(whole) == DescribeReader(pieces));

    FUZZ_CHECK(whole.m_nEnabledJRE >= 0 && whole.m_nEnabledJRE <= LumasetCore::ciJREMaxNumber);
    FUZZ_CHECK(whole.m_EnabledJRE.size() == static_cast<size_t>(LumasetCore::ciJREMaxNumber));
    for (int i = 0; i < whole.m_nEnabledJRE; ++i)
        FUZZ_CHECK(AllDigits(whole.m_EnabledJRE[i]));
    for (const auto &entry : whole.m_Args)
        FUZZ_CHECK(AllDigits(entry.first));

    const auto folded = whole.GetCheckboxValues();
    if (whole.m_nEnabledJRE == 0)
        FUZZ_CHECK(folded.m_bD3D && folded.m_bNoDDraw && folded.m_bForceVram);
    return 0;
}
