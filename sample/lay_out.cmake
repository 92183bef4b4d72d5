# Lays out the sample installation; run with cmake -P.
#   ROOT        the SDK root to fill
#   LAUNCHER    the built launcher, copied under each command name
#   EXE_SUFFIX  the executables' suffix (".exe" for Windows, else empty)
#   SCRIPT      the script body every command runs
#   PERL        the interpreter that becomes perl.exe (may be empty)
#   LINK_PERL   ON: perl.exe is a symbolic link to PERL; OFF: a copy of it
#   STAMP       touched when everything is in place

# The SDK root holds "share", so the launcher's walk from windows64/bin stops
# there; the suite sits beside it under the name the peer walk looks for.
foreach(dir
    share/lib/perl/tev
    windows64/bin
    windows64/lib/torma/windows64
    host/windows64/bin/perl/bin
    host/windows64/bin/perl/lib
    tallova/bin64/jre64/bin
    tallova/drav_builder/bin)
  file(MAKE_DIRECTORY "${ROOT}/${dir}")
endforeach()

foreach(command zud zudl y++)
  file(COPY_FILE "${SCRIPT}" "${ROOT}/share/lib/perl/tev/${command}.pl" ONLY_IF_DIFFERENT)
  # Removed first: a copy written in place over a running program fails.
  set(target "${ROOT}/windows64/bin/${command}${EXE_SUFFIX}")
  file(REMOVE "${target}")
  file(COPY_FILE "${LAUNCHER}" "${target}")
endforeach()

set(perl_exe "${ROOT}/host/windows64/bin/perl/bin/perl.exe")
if(PERL STREQUAL "")
  file(REMOVE "${perl_exe}")
elseif(LINK_PERL)
  file(CREATE_LINK "${PERL}" "${perl_exe}" SYMBOLIC)
else()
  file(REMOVE "${perl_exe}")
  file(COPY_FILE "${PERL}" "${perl_exe}")
endif()

file(TOUCH "${STAMP}")
