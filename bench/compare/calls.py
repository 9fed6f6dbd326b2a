def f(a, r=False, b=None):
    return a + b if r else a
def g(x):
    return f(x) + f(x, r=True, b=1)
total = 0
for i in range(1, 500001):
    total = total + g(i)
print(total)
