#include "store/Numbers.h"

// Links a piece of the library, so a build of this project proves quorvel_app links from outside.
int main()
{
    return store::formatFixed2(1.5L) == QStringLiteral("1.50") ? 0 : 1;
}
