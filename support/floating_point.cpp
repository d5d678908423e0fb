// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

#include "support/floating_point.h"

#include <cfenv>

#if __has_include(<fpu_control.h>)
#include <fpu_control.h>
#endif

void SetUpFloatingPoint() {
#if defined(_FPU_GETCW) && defined(_FPU_EXTENDED) && defined(_FPU_RC_ZERO)
    fpu_control_t word;
    _FPU_GETCW(word);
    word = static_cast<fpu_control_t>((word & ~(_FPU_EXTENDED | _FPU_RC_ZERO)) | _FPU_EXTENDED |
                                      _FPU_RC_NEAREST);
    _FPU_SETCW(word);
#endif
    std::fesetround(FE_TONEAREST);
}
