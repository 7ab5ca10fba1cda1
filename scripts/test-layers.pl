#!/usr/bin/perl
# Writes two small test layers as PAM (RGB_ALPHA) files into the given folder: a soft ring with a
# colour ramp, and a half-transparent bar crossed by an opaque triangle. Transparent pixels keep
# a colour, so straight alpha is told apart from premultiplied.
use strict;
use warnings;

my $dir = shift or die "usage: test-layers.pl FOLDER\n";

sub clamp01 { my $v = shift; return $v < 0 ? 0 : $v > 1 ? 1 : $v; }

sub write_pam {
    my ($path, $width, $height, $pixel) = @_;
    open(my $out, '>:raw', $path) or die "cannot write $path: $!\n";
    print $out "P7\nWIDTH $width\nHEIGHT $height\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    for my $y (0 .. $height - 1) {
        for my $x (0 .. $width - 1) {
            print $out pack('C4', $pixel->($x, $y));
        }
    }
    close($out) or die "cannot write $path: $!\n";
}

write_pam("$dir/ring.pam", 96, 80, sub {
    my ($x, $y) = @_;
    my $r = sqrt(($x + 0.5 - 48) ** 2 + ($y + 0.5 - 40) ** 2);
    my $alpha = clamp01($r - 12) * clamp01(30 - $r);
    return (int($x * 255 / 95), int($y * 255 / 79), 180, int($alpha * 255 + 0.5));
});

write_pam("$dir/bar.pam", 120, 72, sub {
    my ($x, $y) = @_;
    my $inBar = $x >= 16 && $x < 104 && $y >= 28 && $y < 44;
    my $inTriangle = $y >= 10 && $y < 62 && abs($x - 60) <= ($y - 10) * 0.6;
    return (255, 40, 40, 255) if $inTriangle;
    return (40, 120, 255, 128) if $inBar;
    return (0, 255, 0, 0);
});
