// Benchmark reference: the start of a Windows program that does nothing.
int main() { return 0; }
