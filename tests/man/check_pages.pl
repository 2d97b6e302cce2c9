#!/usr/bin/perl
# Usage: check_pages.pl MAN_DIR BIN_DIR README
#
# Renders every manual page the build made (MAN_DIR holds PAGE, the roff
# page, and PAGE.scd, its source as configured) to plain text with man, as a
# reader sees it, and checks the text itself; `man --warnings` is silent on
# a lost line or a stray markup character, this is not:
# - every line of the source appears in the text with its markup removed
#   (scdoc eats a "." that starts a line, and a roff line starting with "."
#   or "'" is a request, not text);
# - no "_" or "*" the source meant as markup is printed (scdoc prints an
#   underscore inside a word as it is); literal ones are written \_ and \*;
# - every option, subcommand, file name pattern and exit status that the
#   program's own --help and the README name appears as written.
# Needs no display. Perl is part of every Debian system (perl-base).
use strict;
use warnings;

my ($man_dir, $bin_dir, $readme) = @ARGV;
die "usage: $0 MAN_DIR BIN_DIR README\n" unless defined $readme;

my @failures;
sub fail_check { push @failures, join('', @_) }

sub slurp {
    my ($path) = @_;
    open(my $in, '<:encoding(UTF-8)', $path) or die "$path: $!\n";
    local $/;
    my $text = <$in>;
    close $in;
    return $text;
}

# Runs a command without a shell; returns its standard output as text and
# its standard error. Arguments are the environment additions, then argv.
sub run_capture {
    my ($env, @argv) = @_;
    my $err_file = "/tmp/tev-man-check-$$.err";
    my $pid = open(my $out, '-|') // die "fork: $!\n";
    if ($pid == 0) {
        $ENV{$_} = $env->{$_} for keys %$env;
        delete $ENV{MAN_KEEP_FORMATTING};
        open(STDERR, '>', $err_file) or die "$err_file: $!\n";
        open(STDIN, '<', '/dev/null');
        exec(@argv) or die "$argv[0]: $!\n";
    }
    binmode($out, ':encoding(UTF-8)');
    local $/;
    my $text = <$out> // '';
    close $out;
    my $status = $? >> 8;
    my $err = -e $err_file ? slurp($err_file) : '';
    unlink $err_file;
    return ($text, $err, $status);
}

sub squeeze {
    my ($s) = @_;
    $s =~ s/\s+/ /g;
    $s =~ s/^ | $//g;
    return $s;
}

# The page as text: wide enough that no paragraph is broken or hyphenated,
# overstrikes removed (col -b) in case man keeps them.
sub render_page {
    my ($page) = @_;
    my %env = (LC_ALL => 'C.UTF-8', MANWIDTH => '4000', MANPAGER => 'cat',
               PAGER => 'cat', MANROFFSEQ => '');
    my ($text, $err, $status) = run_capture(\%env, 'man', '-l', $page);
    fail_check("$page: man -l ended with $status: $err") if $status != 0;
    $text =~ s/.\x08//g;
    return $text;
}

sub roff_warnings {
    my ($page) = @_;
    my %env = (LC_ALL => 'C.UTF-8', MANWIDTH => '80', MANPAGER => 'cat', PAGER => 'cat',
               MANROFFSEQ => '');
    my (undef, $err) = run_capture(\%env, 'man', '--warnings', '-l', $page);
    return $err;
}

# One line of scdoc source as the reader should see it: markup and escapes
# removed, or undef for a line that is no text (title, comment, blank).
sub intended_text {
    my ($line) = @_;
    return undef if $line =~ /^;/ || $line =~ /^\s*$/;
    $line =~ s/^\s+//;
    $line =~ s/^#+ //;                    # a heading
    $line =~ s/^[-.] // ;                 # a list item
    $line =~ s/^[\[\]|:-]+ //;            # a table cell
    $line =~ s/\+\+$//;                   # a forced line break
    my $text = '';
    while ($line =~ /\G(?:\\(.)|([*_])|(.))/gs) {
        $text .= defined $1 ? $1 : defined $3 ? $3 : '';
    }
    return squeeze($text);
}

# Where a needle counts as written: not glued to more of a word or option.
sub appears {
    my ($haystack, $needle) = @_;
    return $haystack =~ /(?<![\w-])\Q$needle\E(?![\w-])/;
}
sub appears_as_file_pattern {
    my ($haystack, $needle) = @_;
    return $haystack =~ /(?<![\w.\/])\Q$needle\E(?![\w])/;
}

# Options, file name patterns and subcommands named in a piece of text.
sub options_in {
    my ($text) = @_;
    my %seen;
    $seen{$1} = 1 while $text =~ /(?<![\w-])(--?[A-Za-z][\w-]*)/g;
    return sort keys %seen;
}
sub file_patterns_in {
    my ($text) = @_;
    my %seen;
    for my $token (split /[\s,;()\[\]|`]+/, $text) {
        $token =~ s/[.:]+$//;
        $seen{$token} = 1 if $token =~ m{^[\w/=.-]*\.[a-z][a-z0-9]{1,3}$} && $token !~ /^-/;
    }
    return sort keys %seen;
}

# The text of one section of a rendered page (headings start in column 0).
sub rendered_section {
    my ($text, $name) = @_;
    my ($body) = $text =~ /^\Q$name\E\n(.*?)(?=^[A-Z][A-Z ]*\n|\z)/ms;
    return $body // '';
}

# What the README tells: the exit-status table, the command line, the tool
# table and the video capture section.
my $readme_text = slurp($readme);
sub readme_section {
    my ($title) = @_;
    my ($body) = $readme_text =~ /^## \Q$title\E\n(.*?)(?=^## |\z)/ms;
    die "README has no section \"$title\"\n" unless defined $body;
    return $body;
}
sub table_rows {
    my ($section) = @_;
    my @rows;
    for my $line (split /\n/, $section) {
        next unless $line =~ /^\|/ && $line !~ /^\|[-| ]+\|$/;
        my @cells = map { squeeze($_) } split /(?<!\\)\|/, $line;
        shift @cells;
        push @rows, \@cells;
    }
    shift @rows;    # the header
    return @rows;
}
sub code_spans { my ($text) = @_; return $text =~ /`([^`]+)`/g }

my (%readme_options, %readme_files, @readme_statuses, @readme_signals, @readme_messages);
for my $row (table_rows(readme_section('Exit status'))) {
    my ($status, $when) = @$row;
    push @readme_statuses, $1 if $status =~ /^(\d+)/;
    if ($status =~ /^128 \+ N/) {
        push @readme_signals, [$1, $2] while $when =~ /\b(SIG[A-Z]+) (\d+)/g;
    }
    while ($when =~ /"([^"]+)"/g) {
        (my $message = $1) =~ s/\\\|/|/g;
        push @readme_messages, $message;
    }
}
for my $line (split /\n/, readme_section('Command line')) {
    $readme_options{'tev-intro'}{$_} = 1 for $line =~ /^\s+tev-intro / ? options_in($line) : ();
}
for my $row (table_rows(readme_section('Tools'))) {
    my ($usage, $what) = @$row;
    my ($program) = $usage =~ /`(tev-[\w-]+)/ or next;
    $readme_options{$program}{$_} = 1 for map { options_in($_) } code_spans($usage);
    $readme_files{$program}{$_} = 1 for map { file_patterns_in($_) } code_spans("$usage $what");
}
for my $span (code_spans(readme_section('Video capture'))) {
    $readme_files{'tev-capture'}{$span} = 1 if $span =~ /^\.[a-z0-9]+$/;
}

opendir(my $dir, $man_dir) or die "$man_dir: $!\n";
my @pages = sort grep { /^[\w-]+\.[1-8]$/ } readdir($dir);
closedir $dir;
die "no manual pages in $man_dir\n" unless @pages;

for my $name (@pages) {
    my $page = "$man_dir/$name";
    (my $program = $name) =~ s/\.[1-8]$//;
    my $rendered = render_page($page);
    my $flat = squeeze($rendered);

    my $warnings = roff_warnings($page);
    fail_check("$name: man --warnings: $warnings") if $warnings ne '';

    # Every source line, as the reader should see it.
    my @source = split /\n/, slurp("$page.scd");
    shift @source;    # the title line becomes the header and footer
    my %intended_words;
    for my $i (0 .. $#source) {
        my $want = intended_text($source[$i]) // next;
        $intended_words{$_} = 1 for split / /, $want;
        fail_check("$name.scd line ", $i + 2, " is not in the page as written: \"$want\"")
            unless index($flat, $want) >= 0;
    }
    for my $word (split / /, $flat) {
        next unless $word =~ /[_*]/ && !$intended_words{$word};
        fail_check("$name: stray markup character in \"$word\" (write a literal _ or * as \\_ or \\*)");
    }

    # What the program's --help names.
    my ($help, $help_err, $help_status) =
        run_capture({DISPLAY => '', WAYLAND_DISPLAY => ''}, "$bin_dir/$program", '--help');
    if ($help_status != 0 || $help eq '') {
        fail_check("$program --help ended with $help_status: $help_err");
        next;
    }
    my %options = map { $_ => '--help' } options_in($help);
    $options{$_} = 'the README' for keys %{$readme_options{$program} // {}};
    for my $option (sort keys %options) {
        fail_check("$name lacks the option $option that $options{$option} names")
            unless appears($flat, $option);
    }
    while ($help =~ /^\s*(?i:usage:\s*)?\Q$program\E ([a-z]+)\b/mg) {
        fail_check("$name lacks the subcommand $1 that --help names") unless appears($flat, $1);
    }
    my %files = map { $_ => '--help' } file_patterns_in($help);
    $files{$_} = 'the README' for keys %{$readme_files{$program} // {}};
    for my $file (sort keys %files) {
        fail_check("$name lacks the file name $file that $files{$file} names")
            unless appears_as_file_pattern($flat, $file);
    }

    # Exit statuses: those --help tells, and for the show every one the
    # README's table lists, each in the page's own section.
    my $statuses = squeeze(rendered_section($rendered, 'EXIT STATUS'));
    fail_check("$name has no EXIT STATUS section") if $statuses eq '';
    my @codes;
    if ($help =~ /^Exit status:(.*?)(?:\n\n|\z)/ms) {
        my $told = $1;
        push @codes, [$1, '--help'] while $told =~ /(?<![\d:.])(\d+)(?![\d:.x])/g;
    }
    if ($program eq 'tev-intro') {
        push @codes, map { [$_, 'the README'] } @readme_statuses;
        for my $signal (@readme_signals) {
            my ($signame, $code) = @$signal;
            push @codes, [$code, "the README ($signame)"];
            fail_check("$name does not name $signame among its exit statuses")
                unless appears($statuses, $signame);
        }
        # The texts the viewer sees with a status, and the box that closing
        # the dialog brings before status 0.
        my %messages = map { $_ => 1 } @readme_messages, 'Cannot create dialog box';
        for my $message (sort keys %messages) {
            fail_check("$name does not quote \"$message\" among its exit statuses")
                unless index($statuses, $message) >= 0;
        }
    }
    for my $code (@codes) {
        my ($number, $from) = @$code;
        fail_check("$name lacks the exit status $number that $from lists")
            unless $statuses =~ /(?<![\d.])$number(?!\d)/;
    }
}

if (@failures) {
    print STDERR "FAIL: $_\n" for @failures;
    exit 1;
}
print 'manual pages checked: ', join(' ', @pages), "\n";
