import csv, io, sys
size = int(sys.argv[1])
n = size // 30
out = io.StringIO()
csv.writer(out, lineterminator="\n").writerows([i, "name", "quoted, x", 3.5, 'q"q'] for i in range(1, n + 1))
t = out.getvalue()
if sys.argv[2] == "decode":
    list(csv.reader(io.StringIO(t)))
