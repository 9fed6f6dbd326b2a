s = ""
for i in range(300000):
    s += "ab"
print(len(s))
