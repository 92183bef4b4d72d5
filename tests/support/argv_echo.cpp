// Stand-in child: prints the argv its runtime parsed and the variables the
// launcher sets, then ends with the status named by ARGV_ECHO_STATUS.
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
// The words must arrive as the command line gave them: no wildcard expansion.
int _dowildcard = 0;
#endif

int main(int argc, char **argv) {
#ifdef _WIN32
  // "\n" must stay one byte: the output is compared byte for byte.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  for (int i = 0; i < argc; ++i)
    printf("argv[%d]=<%s>\n", i, argv[i]);
  static const char *const names[] = {"PATH",          "LD_LIBRARY_PATH", "PERL5LIB",
                                      "TALLOVA_64BIT", "TALLOVA_ROOTDIR", "ORVEXTAVRINSDKROOT",
                                      "PERL_BADLANG"};
  for (const char *name : names) {
    const char *value = getenv(name);
    if (value)
      printf("env %s=<%s>\n", name, value);
    else
      printf("env %s unset\n", name);
  }
  fflush(stdout);
  const char *status = getenv("ARGV_ECHO_STATUS");
  return status ? atoi(status) : 0;
}
