#include <cstdio>
int main() { std::puts("qro4000-sim"); return 0; }
