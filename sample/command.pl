#!/usr/bin/perl
# One body for every sample command: prints what the launcher handed over,
# the arguments one per line between angle brackets and the variables it sets,
# then ends with the status in ARGV_ECHO_STATUS (0 when unset).
use strict;
use warnings;

my ($command) = $0 =~ m{([^/\\]+)\.pl\z};
$command //= $0;

printf "%s.pl received %d argument%s\n", $command, scalar @ARGV, @ARGV == 1 ? '' : 's';
printf "[%d] <%s>\n", $_ + 1, $ARGV[$_] for 0 .. $#ARGV;

for my $name (
    qw(PATH LD_LIBRARY_PATH PERL5LIB TALLOVA_64BIT TALLOVA_ROOTDIR ORVEXTAVRINSDKROOT PERL_BADLANG))
{
    if (defined $ENV{$name}) {
        print "env $name=<$ENV{$name}>\n";
    } else {
        print "env $name unset\n";
    }
}

exit($ENV{ARGV_ECHO_STATUS} // 0);
