import random, sys
random.seed(42)
b = []
for i in range(int(sys.argv[1])):
    b.append(random.randint(1, 1000000))
b.sort()
print(len(b))
