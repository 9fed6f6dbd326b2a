import sys
n = int(sys.argv[1])
s = 0
i = 0
while i < n:
    s = s + i
    i = i + 1
print(s)
