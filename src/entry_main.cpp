// STUB: to be written.
int main(int, char **) { return 0; }
