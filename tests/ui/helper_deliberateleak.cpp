// Loses one block made inside Qt, on purpose: the sanitizer build must report it, or the leak
// check of every other test is blind to leaks that pass through Qt's own functions.

#include <QByteArray>
#include <cstdio>

int main()
{
    const QByteArray text(4320, 'x');
    char* lost = qstrdup(text.constData()); // 4321 bytes, from libQt6Core
    std::printf("%zu\n", qstrlen(lost));
    lost = nullptr; // the only pointer to it is gone
    return lost != nullptr;
}
