# The report's picture: each computer's win share in each set of computers, with its 95 % interval.
#   gnuplot -e "data='opponents.dat'; picture='opponents.png'" opponents.gp
# The data: a row a set (number, label), then share, low and high, in percent, for each computer,
# "?" where it is not in the set; the first row names the columns.
set terminal pngcairo size 1100,560 font "IPAPGothic,12" enhanced
set output picture
set encoding utf8
set datafile missing "?"
set title "Win share of each computer in each set of computers, with its 95 % interval"
set ylabel "games won (%)"
set xlabel "set of computers (--computers bits: 0x01 ﾎﾟﾛﾈｺ, 0x02 作者, 0x04 超能力者, 0x08 謎の男)" noenhanced
set yrange [-3:105]
set xrange [0.4:15.6]
set ytics 10
set xtics 1, 1, 15 format "0x%02x" scale 0
set mxtics 2
set grid ytics mxtics
set key outside right top vertical noenhanced
set bars 1.5
colours = "#1b9e77 #d95f02 #7570b3 #e7298a"
shapes = "7 5 9 13"
plot for [c=0:3] data using ($1 + (c - 1.5) * 0.17):(column(3 + 3 * c)):(column(4 + 3 * c)): \
         (column(5 + 3 * c)) with yerrorbars title columnheader(3 + 3 * c) \
         lc rgb word(colours, c + 1) pt int(word(shapes, c + 1)) ps 0.8 lw 1.4
