import sys
class O:
    def __init__(self):
        self.base = 1
    def add(self, a, twice=False):
        return a + a if twice else a + self.base
    def scale(self, a, by=None):
        return a * by if by is not None else a
def sq(x):
    return x * x
o = O()
total = 0
for i in range(1, int(sys.argv[1]) + 1):
    total = total + o.add(i) + o.add(i, twice=True) + o.scale(i, by=3) + sq(i)
print(total)
