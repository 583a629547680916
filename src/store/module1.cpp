// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/module1.h"

namespace tankedosan::store {

namespace Module1 {

int antal = 0;
QString sökväg;

void reset()
{
    antal = 0;
    sökväg.clear();
}

} // namespace Module1

} // namespace tankedosan::store
