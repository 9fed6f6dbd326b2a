import random
random.seed(42)
b = []
for i in range(300000):
    b.append(random.randint(1, 1000000))
b.sort()
print(len(b))
