#!/usr/bin/perl
# Draws Torvane's icon and writes it as a Windows .ico file: four 32-bit images of 48, 32,
# 24 and 16 pixels, each an uncompressed bottom-up BGRA bitmap with its AND mask.
#
# The picture: a 2 x 2 matrix in white brackets on a rounded blue tile, its diagonal
# entries amber (the identity that Gauss-Jordan elimination leaves on the left) and the
# others pale blue. Every pixel is sampled 8 x 8 times so that the edges are smooth.
#
# Usage: make-icon.pl OUTPUT.ico       (needs nothing beyond perl-base)
use strict;
use warnings;

my @sizes = (48, 32, 24, 16);
my $samples = 8;

my @tile_top = (0x2B, 0x6C, 0xB0);
my @tile_bottom = (0x17, 0x3F, 0x73);
my @bracket = (0xFF, 0xFF, 0xFF);
my @diagonal = (0xFF, 0xB3, 0x1A);
my @off_diagonal = (0xA9, 0xC8, 0xEA);

sub in_rounded_square {
    my ($x, $y, $left, $top, $right, $bottom, $radius) = @_;
    return 0 if $x < $left || $x > $right || $y < $top || $y > $bottom;
    my $cx = $x < $left + $radius ? $left + $radius : $x > $right - $radius ? $right - $radius : $x;
    my $cy = $y < $top + $radius ? $top + $radius : $y > $bottom - $radius ? $bottom - $radius : $y;
    return ($x - $cx) ** 2 + ($y - $cy) ** 2 <= $radius ** 2;
}

sub in_box {
    my ($x, $y, $left, $top, $right, $bottom) = @_;
    return $x >= $left && $x <= $right && $y >= $top && $y <= $bottom;
}

sub in_bracket {
    my ($x, $y) = @_;
    $x = 1 - $x if $x > 0.5;    # the right bracket mirrors the left one
    return in_box($x, $y, 0.17, 0.19, 0.26, 0.81)       # upright
        || in_box($x, $y, 0.17, 0.19, 0.34, 0.27)       # upper serif
        || in_box($x, $y, 0.17, 0.73, 0.34, 0.81);      # lower serif
}

# The colour (r, g, b) of the picture at (x, y) in the unit square, y downward, or nothing
# where the picture is transparent.
sub colour_at {
    my ($x, $y) = @_;
    return () unless in_rounded_square($x, $y, 0.03, 0.03, 0.97, 0.97, 0.2);
    return @bracket if in_bracket($x, $y);
    for my $row (0, 1) {
        for my $column (0, 1) {
            my $cx = 0.385 + 0.23 * $column;
            my $cy = 0.385 + 0.23 * $row;
            next unless in_rounded_square($x, $y, $cx - 0.085, $cy - 0.085, $cx + 0.085, $cy + 0.085, 0.03);
            return $row == $column ? @diagonal : @off_diagonal;
        }
    }
    return map { $tile_top[$_] + ($tile_bottom[$_] - $tile_top[$_]) * $y } 0 .. 2;
}

# The image data of one icon entry: BITMAPINFOHEADER, BGRA rows bottom-up, AND mask.
sub icon_image {
    my ($size) = @_;
    my $pixels = '';
    my $mask = '';
    my $mask_row_bytes = int(($size + 31) / 32) * 4;
    for my $row (reverse 0 .. $size - 1) {
        my @mask_bits;
        for my $column (0 .. $size - 1) {
            my ($r, $g, $b, $covered) = (0, 0, 0, 0);
            for my $sy (0 .. $samples - 1) {
                for my $sx (0 .. $samples - 1) {
                    my @c = colour_at(($column + ($sx + 0.5) / $samples) / $size, ($row + ($sy + 0.5) / $samples) / $size);
                    next unless @c;
                    $r += $c[0];
                    $g += $c[1];
                    $b += $c[2];
                    $covered++;
                }
            }
            my $alpha = int(255 * $covered / ($samples * $samples) + 0.5);
            if ($covered) {
                $r = int($r / $covered + 0.5);
                $g = int($g / $covered + 0.5);
                $b = int($b / $covered + 0.5);
            }
            $pixels .= pack('C4', $b, $g, $r, $alpha);
            push @mask_bits, $alpha == 0 ? 1 : 0;
        }
        my $bits = join('', @mask_bits) . '0' x ($mask_row_bytes * 8 - $size);
        $mask .= pack('B*', $bits);
    }
    my $header = pack('V l< l< v v V V l< l< V V', 40, $size, 2 * $size, 1, 32, 0, length($pixels) + length($mask), 0, 0, 0, 0);
    return $header . $pixels . $mask;
}

die "usage: $0 OUTPUT.ico\n" unless @ARGV == 1;
my @images = map { icon_image($_) } @sizes;
my $offset = 6 + 16 * @images;
my $directory = pack('v3', 0, 1, scalar @images);
for my $i (0 .. $#images) {
    $directory .= pack('C4 v2 V2', $sizes[$i], $sizes[$i], 0, 0, 1, 32, length($images[$i]), $offset);
    $offset += length($images[$i]);
}
open(my $out, '>:raw', $ARGV[0]) or die "$0: cannot write $ARGV[0]: $!\n";
print {$out} $directory, @images or die "$0: cannot write $ARGV[0]: $!\n";
close($out) or die "$0: cannot write $ARGV[0]: $!\n";
