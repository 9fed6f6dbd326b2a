import sys
def build(n):
    s = ""
    for i in range(n):
        s += "x"
    return s
print(len(build(int(sys.argv[1]))))
