#include "model/RevisionText.h"
#include <cstdio>
int main() { std::printf("%s\n", qPrintable(TitleBaseText())); return 0; }
